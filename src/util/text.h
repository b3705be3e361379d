// Small text routines over 8-bit CP1252 strings (std::string bytes); positions count from 1
// where a routine speaks of positions. Pure functions of their arguments and the decimal separator.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace wellvue {

std::string repeat_char(char c, std::size_t n);
std::string two_digits(unsigned long long n);
std::string three_digits(unsigned long long n);
// Keeps + - . and digits, then turns every point or comma into the decimal separator.
std::string numeric_filter(std::string_view text);
void replace_all_char(char a, char b, std::string& text);
void replace_first_char(char a, char b, std::string& text);
void to_locale_separator(std::string& text);
void to_dot_separator(std::string& text);
std::string trim_right_blanks(std::string_view text);
// Never removes the last character: an all-blank text keeps one blank.
std::string trim_left_blanks(std::string_view text);
std::string trim_blanks(std::string_view text);
std::string pad_right(std::string_view text, std::size_t width);
std::size_t count_char(char c, std::string_view text);
// Field k (1-based) of a line cut at separator c; "_extraitUTIL<text>" when nothing is left.
std::string extract_field(std::string_view text, int k, char c);
// Field k of the text cut at vertical bars (a blank is appended first).
std::string bar_field(std::string_view text, int k);

}  // namespace wellvue
