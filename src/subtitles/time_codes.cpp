#include "subtitles/time_codes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "util/numbers.h"
#include "util/text.h"

namespace wellvue {

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
  const unsigned long long h = total / 3600000;
  const unsigned long long r = total % 3600000;
  const auto m = static_cast<unsigned>(r / 60000);
  const auto r2 = static_cast<unsigned>(r % 60000);
  const unsigned s = r2 / 1000, ms = r2 % 1000;
  // Built in place: this runs twice for every time line of a file.
  std::string out = h < 100 ? std::string{static_cast<char>('0' + h / 10), static_cast<char>('0' + h % 10)}
                            : std::to_string(h);
  const char tail[] = {':', static_cast<char>('0' + m / 10), static_cast<char>('0' + m % 10), ':',
                       static_cast<char>('0' + s / 10), static_cast<char>('0' + s % 10), ',',
                       static_cast<char>('0' + ms / 100), static_cast<char>('0' + ms / 10 % 10),
                       static_cast<char>('0' + ms % 10)};
  out.append(tail, sizeof tail);
  return out;
}

std::string normalize_duration(std::string_view typed) {
  std::string t = trim_blanks(typed);
  if (count_char(':', t) == 0) {
    if (t.size() == 1)
      t = "00:00:0" + t + ",000";
    else if (t.size() == 2)
      t = "00:00:" + t + ",000";
  }
  if (count_char(':', t) == 1) {
    if (t.size() == 4) t = "0" + t;
    if (t.size() == 5 && t[2] == ':') t = "00:" + t + ",000";
  }
  return t;
}

namespace {

// The seconds field of one half of a time line, repaired: blanks and no-break spaces before the
// milliseconds become the comma, one-digit seconds get their leading zero.
std::string repaired_seconds(std::string_view part) {
  std::string f = extract_field(part, 3, ':');
  replace_all_char(' ', ',', f);
  replace_all_char('\xa0', ',', f);
  if (f.size() == 5) f = "0" + f;
  return f;
}

std::string_view first_chars(std::string_view s, std::size_t n) { return s.substr(0, std::min(n, s.size())); }

}  // namespace

std::string normalize_time_line(std::string_view line) {
  const auto p = line.find(kTimeLineSeparator);
  if (p == std::string_view::npos) return std::string(line);
  const std::string_view a = line.substr(0, p + 1);  // keeps the blank that opens the separator
  const std::string_view b = line.substr(p + kTimeLineSeparator.size(), 12);
  std::string out(first_chars(a, 6));
  out += repaired_seconds(a);
  out += kTimeLineSeparator;
  out += first_chars(b, 6);
  out += repaired_seconds(b);
  return out;
}

std::string_view end_code_of(std::string_view line) {
  if (line.size() <= 17) return {};
  return line.substr(17, 12);
}

std::string scale_time_line(std::string_view line, double factor) {
  const double start = parse_time_code(line.substr(0, std::min<std::size_t>(12, line.size()))) * factor;
  const double end = parse_time_code(end_code_of(line)) * factor;
  return format_time_code(start) + std::string(kTimeLineSeparator) + format_time_code(end);
}

std::string shift_time_line(std::string_view line, double amount) {
  double s = parse_time_code(line.substr(0, std::min<std::size_t>(12, line.size())));
  if (s >= amount) s -= amount;
  double e = parse_time_code(end_code_of(line));
  if (e >= amount) e -= amount;
  if (s > e) e = s;
  return format_time_code(s) + std::string(kTimeLineSeparator) + format_time_code(e);
}

}  // namespace wellvue
