#include "option_values.h"

#include "util/numbers.h"

namespace wellvue::tool_options {
namespace {

template <typename T>
bool taken(const std::optional<T>& v, T& out) {
  if (v) out = *v;
  return v.has_value();
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

bool parse_number(std::string_view text, int& out) { return taken(read_whole<int>(text), out); }
bool parse_number(std::string_view text, double& out) { return taken(read_decimal(text), out); }

}  // namespace wellvue::tool_options
