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
// The same with a given decimal mark, for texts whose notation is fixed whatever the locale.
double parse_float_with(std::string_view text, char separator);

// Formats v with one of the station's patterns: "0.00m", " 0.00 m", " 0 mn ", " 0.0 s", " 0",
// "0.00", "0"... The pattern's literal text stands around the number; digits after the point set
// the decimals; halves round away from zero on the decimal value as written (2.675 gives 2.68);
// the point prints as the decimal separator; a value that rounds to zero has no minus sign.
std::string format_pattern(double v, std::string_view pattern);

// Decimal text of a whole number.
std::string int_text(long long v);

// General format of the station's messages: up to 15 significant digits, trailing zeros dropped,
// the decimal separator, scientific form ("1,5E-6", "2E20") only for very small or large values.
std::string general_number_text(double v);

}  // namespace wellvue
