#include "util/text.h"

#include <algorithm>

#include "util/decimal_separator.h"

namespace wellvue {

std::string repeat_char(char c, std::size_t n) { return std::string(n, c); }

std::string two_digits(unsigned long long n) {
  std::string s = std::to_string(n);
  return n <= 9 ? "0" + s : s;
}

std::string three_digits(unsigned long long n) {
  // Characters 2 to 4 of n + 1000: leading zeros up to 999, the last three digits beyond.
  const std::string s = std::to_string(n + 1000);
  return s.substr(1, 3);
}

std::string numeric_filter(std::string_view text) {
  const char sep = decimal_separator();
  std::string out;
  for (char ch : text) {
    if ((ch >= '0' && ch <= '9') || ch == '+' || ch == '-') out += ch;
    else if (ch == '.' || ch == ',') out += sep;  // a point or a comma typed by the operator both mean the decimal mark
  }
  return out;
}

void replace_all_char(char a, char b, std::string& text) { std::replace(text.begin(), text.end(), a, b); }

void replace_first_char(char a, char b, std::string& text) {
  const auto p = text.find(a);
  if (p != std::string::npos) text[p] = b;
}

void to_locale_separator(std::string& text) {
  const char sep = decimal_separator();
  for (char& ch : text)
    if (ch == '.' || ch == ',') ch = sep;
}

void to_dot_separator(std::string& text) {
  const char sep = decimal_separator();
  if (sep == '.') return;
  replace_all_char(sep, '.', text);
}

std::string trim_right_blanks(std::string_view text) {
  const auto last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string trim_left_blanks(std::string_view text) {
  if (text.empty()) return {};
  std::size_t first = 0;
  while (first + 1 < text.size() && text[first] == ' ') ++first;
  return std::string(text.substr(first));
}

std::string trim_blanks(std::string_view text) { return trim_right_blanks(trim_left_blanks(text)); }

std::string pad_right(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width) out.append(width - out.size(), ' ');
  return out;
}

std::size_t count_char(char c, std::string_view text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

std::string extract_field(std::string_view text, int k, char c) {
  // Runs of separators count as one.
  std::string s;
  s.reserve(text.size() + 2);
  for (char ch : text)
    if (!(ch == c && !s.empty() && s.back() == c)) s += ch;
  if (s.empty()) return "_extraitUTIL<" + std::string(text) + ">";
  if (s.front() != c) s.insert(s.begin(), c);
  if (s.back() != c) s += c;
  // Field k lies between the k-th separator and the next one; past the last field it is empty.
  std::size_t p = std::string::npos;
  std::size_t from = 0;
  for (int i = 0; i < k; ++i) {
    p = s.find(c, from);
    if (p == std::string::npos) return {};
    from = p + 1;
  }
  if (p == std::string::npos) return {};  // k < 1
  const std::size_t q = s.find(c, p + 1);
  if (q == std::string::npos) return {};
  return trim_left_blanks(trim_right_blanks(std::string_view(s).substr(p + 1, q - p - 1)));
}

std::string bar_field(std::string_view text, int k) {
  std::string s(text);
  s += ' ';
  return extract_field(s, k, '|');
}

}  // namespace wellvue
