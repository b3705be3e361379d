// Whole and decimal number parsing and formatting with the station's patterns, using the
// decimal separator of decimal_separator.h. Parsing failures throw ConversionError.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace wellvue {

// Decimal whole number in the signed 32-bit range; optional sign, surrounding blanks allowed.
std::int32_t parse_int(std::string_view text);
// Decimal number written with the current decimal separator (no thousands separators).
double parse_float(std::string_view text);

// Formats v with one of the station's patterns: "0.00m", " 0.00 m", " 0 mn ", " 0.0 s", " 0",
// "0.00", "0"... The pattern's literal text stands around the number; digits after the point set
// the decimals; halves round away from zero; the point prints as the decimal separator.
std::string format_pattern(double v, std::string_view pattern);

// Decimal text of a whole number.
std::string int_text(long long v);

}  // namespace wellvue
