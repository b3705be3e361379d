#include "subtitles/time_codes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "util/numbers.h"
#include "util/text.h"

namespace wellvue {

std::string normalize_duration(std::string_view typed) {
  std::string t = trim_blanks(typed);
  if (count_char(':', t) == 0) {
    if (t.size() == 1) t = "00:00:0" + t + ",000";
    else if (t.size() == 2) t = "00:00:" + t + ",000";
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
