#include "option_values.h"

#include <charconv>

namespace wellvue::tool_options {
namespace {

template <typename T>
bool number_text(std::string_view text, T& out) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool take_value(const std::vector<std::string>& args, std::size_t& i, std::string& out, std::string& error,
                std::string_view missing) {
  if (i + 1 >= args.size()) {
    error = args[i] + std::string(missing);
    return false;
  }
  out = args[++i];
  return true;
}

bool take_answer(const std::vector<std::string>& args, std::size_t& i, bool& yes, std::string& error) {
  std::string v;
  if (!take_value(args, i, v, error)) return false;
  if (v == "yes" || v == "oui" || v == "no" || v == "non") {
    yes = v == "yes" || v == "oui";
    return true;
  }
  error = args[i - 1] + " attend yes ou no, pas '" + v + "'";
  return false;
}

bool parse_number(std::string_view text, int& out) { return number_text(text, out); }
bool parse_number(std::string_view text, double& out) { return number_text(text, out); }

}  // namespace wellvue::tool_options
