#include "util/typed_number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace wellvue {
namespace {

// Blanks, tabs and the no-break space (CP1252).
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\xA0'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Also the no-break space's UTF-8 form (C2 A0), as a Qt field gives it.
std::string_view trimmed(std::string_view t) {
  for (;;) {
    if (t.size() >= 2 && t[0] == '\xC2' && t[1] == '\xA0') t.remove_prefix(2);
    else if (!t.empty() && is_blank(t.front())) t.remove_prefix(1);
    else break;
  }
  for (;;) {
    if (t.size() >= 2 && t[t.size() - 2] == '\xC2' && t.back() == '\xA0') t.remove_suffix(2);
    else if (!t.empty() && is_blank(t.back())) t.remove_suffix(1);
    else break;
  }
  return t;
}

bool ends_with_unit(std::string_view t, std::string_view unit) {
  if (unit.empty() || t.size() < unit.size()) return false;
  const std::string_view tail = t.substr(t.size() - unit.size());
  for (std::size_t i = 0; i < unit.size(); ++i)
    if (lower(tail[i]) != lower(unit[i])) return false;
  return true;
}

}  // namespace

std::optional<double> read_typed_number(std::string_view typed, std::string_view unit) {
  std::string_view t = trimmed(typed);
  if (ends_with_unit(t, unit)) t = trimmed(t.substr(0, t.size() - unit.size()));
  // sign? digits* ([.,] digits*)? with at least one digit, and nothing else.
  std::string plain;
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    if (t[i] == '-') plain += '-';
    ++i;
  }
  std::size_t digits = 0;
  while (i < t.size() && is_digit(t[i])) plain += t[i++], ++digits;
  if (i < t.size() && (t[i] == '.' || t[i] == ',')) {
    plain += '.';
    ++i;
    while (i < t.size() && is_digit(t[i])) plain += t[i++], ++digits;
  }
  if (digits == 0 || i != t.size()) return std::nullopt;
  double v = 0;
  const auto r = std::from_chars(plain.data(), plain.data() + plain.size(), v);
  if (r.ec != std::errc() || r.ptr != plain.data() + plain.size() || !std::isfinite(v)) return std::nullopt;
  return v == 0 ? 0.0 : v;  // no "-0"
}

TypedWhole read_typed_whole(std::string_view typed, std::string_view unit) {
  TypedWhole out;
  out.number = read_typed_number(typed, unit);
  if (out.number && std::floor(*out.number) == *out.number &&
      *out.number >= std::numeric_limits<std::int32_t>::min() && *out.number <= std::numeric_limits<std::int32_t>::max()) {
    out.whole = static_cast<std::int32_t>(*out.number);
  }
  return out;
}

}  // namespace wellvue
