// The one reader of the numbers an operator types (start depth, wheel length, circumference,
// depth corrections, a depth to go to): the whole text must be a number, with a point or a comma
// as the decimal mark, so that "1O0" or "4-04" is refused instead of read as part of it. Free of
// the C library's locale.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace wellvue {

// The number in `typed`, blanks around it allowed, and `unit` after it when given ("50 cm",
// "50cm" and "50" with unit "cm"); nullopt when the text is anything else.
std::optional<double> read_typed_number(std::string_view typed, std::string_view unit = {});

// A whole number typed: `number` is what the text holds, `whole` the same as a whole number in
// the signed 32-bit range when it is one ("12" and "12,0" are; "12,5" is not).
struct TypedWhole {
  std::optional<double> number;
  std::optional<std::int32_t> whole;
};
TypedWhole read_typed_whole(std::string_view typed, std::string_view unit = {});

}  // namespace wellvue
