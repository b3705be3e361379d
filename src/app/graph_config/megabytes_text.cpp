#include "app/graph_config/megabytes_text.h"

#include <limits>

#include "util/conversion_error.h"

namespace wellvue {

std::string megabytes_text(std::uint32_t megabytes) { return std::to_string(megabytes); }

std::uint32_t parse_megabytes(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && text[first] == ' ') ++first;
  while (last > first && text[last - 1] == ' ') --last;
  std::string_view digits = text.substr(first, last - first);
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty()) throw ConversionError(not_an_integer_text(std::string(text)));
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') throw ConversionError(not_an_integer_text(std::string(text)));
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > std::numeric_limits<std::uint32_t>::max())
      throw ConversionError(not_an_integer_text(std::string(text)));
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace wellvue
