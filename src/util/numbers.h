// Every number the station reads or writes as text: the station's own texts with its decimal
// separator (decimal_separator.h) and the numbers of files and options with a fixed mark. All of
// it through std::from_chars / std::to_chars, never the C library's locale, which a French desktop
// sets to the comma. The parse_ functions throw ConversionError; the read_ ones give nullopt.
#pragma once
#include <charconv>
#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace wellvue {

// The whole text as a decimal whole number of type T (an optional '-', digits, nothing else).
template <std::integral T>
std::optional<T> read_whole(std::string_view text) {
  T v{};
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
  return v;
}

// The whole text as a finite decimal number written with `mark` as its decimal mark (an optional
// '-', digits, the mark, digits, an optional exponent); the other mark is refused.
std::optional<double> read_decimal(std::string_view text, char mark = '.');

// v with `decimals` decimals and `mark` ("12.345"), rounded as printf rounds; never "-0.000".
std::string fixed_text(double v, int decimals, char mark = '.');
// The shortest text that reads back as v, with a point and no exponent ("500", "12.5").
std::string shortest_text(double v);

// Decimal whole number in the signed 32-bit range; optional sign, surrounding blanks allowed.
std::int32_t parse_int(std::string_view text);
// Decimal number written with the current decimal separator (no thousands separators).
double parse_float(std::string_view text);
// The same with a given decimal mark, for texts whose notation is fixed whatever the locale.
double parse_float_with(std::string_view text, char separator);

// Formats v with one of the station's patterns: "0.00m", " 0.00 m", " 0 mn ", " 0.0 s", " 0",
// "0.00", "0"... The pattern's literal text stands around the number; digits after the point set
// the decimals; halves round away from zero on the decimal value as written (2.675 gives 2.68);
// the point prints as the decimal separator; a value that rounds to zero has no minus sign.
std::string format_pattern(double v, std::string_view pattern);
// The same with a given decimal mark, for texts whose notation is fixed whatever the station's.
std::string format_pattern_with(double v, std::string_view pattern, char mark);

// Decimal text of a whole number.
std::string int_text(long long v);

// General format of the station's messages: up to 15 significant digits, trailing zeros dropped,
// the decimal separator, scientific form ("1,5E-6", "2E20") only for very small or large values.
std::string general_number_text(double v);

}  // namespace wellvue
