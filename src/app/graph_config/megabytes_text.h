// The preallocation size travels through the dialog as decimal text; these give it and take it
// back over the record's whole unsigned 32-bit range.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace wellvue {

std::string megabytes_text(std::uint32_t megabytes);
// Decimal digits, blanks around them allowed; anything else, or a value above 4 294 967 295,
// throws ConversionError with the integer conversion text.
std::uint32_t parse_megabytes(std::string_view text);

}  // namespace wellvue
