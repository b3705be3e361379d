#include "util/time_code.h"

#include <cmath>
#include <limits>

#include "util/numbers.h"

namespace wellvue {

std::string time_code_of_ms(std::uint64_t ms) {
  const std::uint64_t h = ms / 3600000;
  const auto r = static_cast<unsigned>(ms % 3600000);
  const unsigned m = r / 60000, s = r % 60000 / 1000, f = r % 1000;
  // Built in place: this runs twice for every time line of a file.
  std::string out =
      h < 100 ? std::string{static_cast<char>('0' + h / 10), static_cast<char>('0' + h % 10)} : std::to_string(h);
  const char tail[] = {':',
                       static_cast<char>('0' + m / 10),
                       static_cast<char>('0' + m % 10),
                       ':',
                       static_cast<char>('0' + s / 10),
                       static_cast<char>('0' + s % 10),
                       ',',
                       static_cast<char>('0' + f / 100),
                       static_cast<char>('0' + f / 10 % 10),
                       static_cast<char>('0' + f % 10)};
  out.append(tail, sizeof tail);
  return out;
}

std::optional<std::int64_t> time_code_to_ms(std::string_view code) {
  const auto colon = code.find(':');
  // Past 12 digits of hours the count would not fit: a text from a file is not trusted that far.
  if (colon == std::string_view::npos || colon == 0 || colon > 12 || code.size() != colon + 10) return std::nullopt;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const bool separator = i == colon || i == colon + 3 || i == colon + 6;
    if (!separator && (code[i] < '0' || code[i] > '9')) return std::nullopt;
  }
  if (code[colon + 3] != ':' || code[colon + 6] != ',') return std::nullopt;
  auto number = [&](std::size_t from, std::size_t count) {
    std::int64_t v = 0;
    for (std::size_t i = from; i < from + count; ++i) v = v * 10 + (code[i] - '0');
    return v;
  };
  return ((number(0, colon) * 60 + number(colon + 1, 2)) * 60 + number(colon + 4, 2)) * 1000 + number(colon + 7, 3);
}

static_assert(std::numeric_limits<long double>::digits >= 63,
              "a double times 1000 must be exact in long double for ties to round to even");

double parse_time_code(std::string_view t) {
  if (t.size() < 12 || t[2] != ':' || t[5] != ':' || t[8] != ',') return -1;
  const long long hours = parse_int(t.substr(0, 2));
  const long long minutes = parse_int(t.substr(3, 2));
  // A time code always carries a comma, whatever the locale's decimal mark.
  const double seconds = parse_float_with(t.substr(6, 6), ',');
  return static_cast<double>(hours * 3600 + minutes * 60) + seconds;
}

std::string format_time_code(double x) {
  if (!(x >= 0)) return "00:00:00,000";  // negative or NaN: an unreadable or meaningless time
  // A double times 1000 needs at most 63 significant bits: exact in extended precision.
  const long double p = static_cast<long double>(x) * 1000.0L;
  constexpr long double kMax = static_cast<long double>(std::numeric_limits<unsigned long long>::max() / 2);
  unsigned long long total = 0;
  if (p >= kMax) {
    total = static_cast<unsigned long long>(kMax);
  } else {
    const long double fl = std::floor(p);
    total = static_cast<unsigned long long>(fl);
    const long double rest = p - fl;
    if (rest > 0.5L || (rest == 0.5L && total % 2 == 1)) ++total;
  }
  return time_code_of_ms(total);
}

}  // namespace wellvue
