#include "util/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "util/conversion_error.h"
#include "util/decimal_separator.h"

namespace wellvue {
namespace {

bool is_blank(char ch) { return ch == ' ' || ch == '\t'; }
bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

std::string_view strip_blanks(std::string_view t) {
  while (!t.empty() && is_blank(t.front())) t.remove_prefix(1);
  while (!t.empty() && is_blank(t.back())) t.remove_suffix(1);
  return t;
}

// Decimal digits of a non-negative finite value with the shortest text that reads back as the same
// double ("2.675" for 2.675), so that rounding acts on the number as it was typed.
std::string shortest_fixed(double v) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

// Rounds a plain decimal text "ddd.ddd" to `decimals` places, halves away from zero.
// Returns the integer digits and the fraction digits.
void round_decimal(const std::string& text, std::size_t decimals, std::string& int_part, std::string& frac_part) {
  const auto dot = text.find('.');
  int_part = text.substr(0, dot);
  frac_part = dot == std::string::npos ? std::string() : text.substr(dot + 1);
  if (frac_part.size() <= decimals) {
    frac_part.append(decimals - frac_part.size(), '0');
    return;
  }
  const bool up = frac_part[decimals] >= '5';
  frac_part.resize(decimals);
  if (!up) return;
  std::string digits = int_part + frac_part;
  int i = static_cast<int>(digits.size()) - 1;
  while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
  if (i < 0) digits.insert(digits.begin(), '1');
  else ++digits[static_cast<std::size_t>(i)];
  int_part = digits.substr(0, digits.size() - decimals);
  frac_part = digits.substr(digits.size() - decimals);
}

std::string group_thousands(const std::string& digits) {
  std::string out;
  const std::size_t n = digits.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += ' ';
    out += digits[i];
  }
  return out;
}

}  // namespace

std::int32_t parse_int(std::string_view text) {
  const std::string_view t = strip_blanks(text);
  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  if (i == t.size()) throw ConversionError(not_an_integer_text(std::string(text)));
  long long value = 0;
  constexpr long long kLimit = static_cast<long long>(std::numeric_limits<std::int32_t>::max()) + 1;
  for (; i < t.size(); ++i) {
    if (!is_digit(t[i])) throw ConversionError(not_an_integer_text(std::string(text)));
    value = value * 10 + (t[i] - '0');
    if (value > kLimit) throw ConversionError(not_an_integer_text(std::string(text)));
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) throw ConversionError(not_an_integer_text(std::string(text)));
  return static_cast<std::int32_t>(value);
}

double parse_float(std::string_view text) { return parse_float_with(text, decimal_separator()); }

double parse_float_with(std::string_view text, char sep) {
  std::string_view t = strip_blanks(text);
  // A '+' is allowed before the number, not before another sign.
  if (!t.empty() && t.front() == '+') {
    t.remove_prefix(1);
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) t = {};
  }
  const auto v = read_decimal(t, sep);
  if (!v) throw ConversionError(not_a_float_text(std::string(text)));
  return *v;
}

std::optional<double> read_decimal(std::string_view text, char mark) {
  // sign? digits* (mark digits*)? ((e|E) sign? digits+)?, with at least one mantissa digit
  std::string plain;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') plain += text[i++];
  std::size_t mantissa_digits = 0;
  while (i < text.size() && is_digit(text[i])) plain += text[i++], ++mantissa_digits;
  if (i < text.size() && text[i] == mark) {
    plain += '.';
    ++i;
    while (i < text.size() && is_digit(text[i])) plain += text[i++], ++mantissa_digits;
  }
  if (mantissa_digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    std::size_t exp_digits = 0;
    while (i < text.size() && is_digit(text[i])) plain += text[i++], ++exp_digits;
    if (exp_digits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  double v = 0;
  const auto r = std::from_chars(plain.data(), plain.data() + plain.size(), v);
  // Out of the double range either way (1e400, 1e-400): not a number the station can hold.
  if (r.ec != std::errc() || r.ptr != plain.data() + plain.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::string fixed_text(double v, int decimals, char mark) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  std::string s(buf, r.ptr);
  if (s.front() == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);  // no "-0.000"
  if (const auto point = s.find('.'); point != std::string::npos) s[point] = mark;
  return s;
}

std::string shortest_text(double v) {
  std::string s = shortest_fixed(v);
  if (s == "-0") s = "0";
  return s;
}

std::string format_pattern(double v, std::string_view pattern) {
  return format_pattern_with(v, pattern, decimal_separator());
}

std::string format_pattern_with(double v, std::string_view pattern, char mark) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  // The number part is the first run of 0, # and one point; everything else is literal text.
  const auto begin = pattern.find_first_of("0#.");
  if (begin == std::string_view::npos) return std::string(pattern);
  auto end = begin;
  bool seen_point = false;
  std::size_t int_zeros = 0, frac_zeros = 0, frac_hashes = 0;
  bool grouping = false;
  while (end < pattern.size()) {
    const char ch = pattern[end];
    if (ch == '.' && !seen_point) {
      seen_point = true;
    } else if (ch == '0') {
      seen_point ? ++frac_zeros : ++int_zeros;
    } else if (ch == '#') {
      if (seen_point) ++frac_hashes;
    } else if (ch == ',' && !seen_point) {
      grouping = true;
    } else {
      break;
    }
    ++end;
  }
  const std::size_t decimals = frac_zeros + frac_hashes;
  std::string int_part, frac_part;
  round_decimal(shortest_fixed(std::fabs(v)), decimals, int_part, frac_part);
  // Optional fraction digits (#) drop their trailing zeros.
  while (frac_part.size() > frac_zeros && frac_part.back() == '0') frac_part.pop_back();
  // Integer digits: at least as many as the pattern's zeros; none if the pattern has only #.
  while (int_part.size() > 1 && int_part.front() == '0') int_part.erase(0, 1);
  if (int_part == "0" && int_zeros == 0) int_part.clear();
  if (int_part.size() < int_zeros) int_part.insert(0, int_zeros - int_part.size(), '0');
  if (grouping) int_part = group_thousands(int_part);
  const bool is_zero =
      int_part.find_first_not_of("0 ") == std::string::npos && frac_part.find_first_not_of('0') == std::string::npos;
  std::string number;
  if (v < 0 && !is_zero) number += '-';  // no "-0.00"
  number += int_part;
  if (!frac_part.empty()) {
    number += mark;
    number += frac_part;
  }
  std::string out(pattern.substr(0, begin));
  out += number;
  out += pattern.substr(end);
  return out;
}

std::string int_text(long long v) { return std::to_string(v); }

std::string general_number_text(double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  if (v == 0) return "0";
  // Fifteen significant digits, then trailing zeros dropped.
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
  const std::string sci(buf, r.ptr);
  const auto e = sci.find('e');
  // to_chars writes "e+05": from_chars takes no '+'.
  std::string_view exp_text = std::string_view(sci).substr(e + 1);
  if (exp_text.front() == '+') exp_text.remove_prefix(1);
  const int exponent = read_whole<int>(exp_text).value_or(0);
  std::string mantissa = sci.substr(0, e);
  const bool negative = mantissa.front() == '-';
  if (negative) mantissa.erase(0, 1);
  std::string digits;
  for (char ch : mantissa)
    if (ch != '.') digits += ch;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = negative ? "-" : "";
  const char sep = decimal_separator();
  if (exponent >= 15 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) out += sep + digits.substr(1);
    out += 'E';
    out += std::to_string(exponent);
  } else if (exponent < 0) {
    out += '0';
    out += sep;
    out += std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  } else {
    const auto int_len = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= int_len) {
      out += digits + std::string(int_len - digits.size(), '0');
    } else {
      out += digits.substr(0, int_len);
      out += sep;
      out += digits.substr(int_len);
    }
  }
  return out;
}

}  // namespace wellvue
