// The subtitle time code hh:mm:ss,mmm, written and read in one place for the live track, the
// closing entries and the re-timing tool. Hours have two digits, more past 99.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wellvue {

// The time code of a whole number of milliseconds.
std::string time_code_of_ms(std::uint64_t ms);
// Milliseconds of a text that is exactly one time code (hours of any width up to 12 digits);
// nullopt otherwise.
std::optional<std::int64_t> time_code_to_ms(std::string_view code);

// Seconds of the first 12 characters; -1 when they do not have the time-code layout.
// Hours or minutes that are not whole numbers, or seconds that are not a decimal number written
// with a comma, raise ConversionError.
double parse_time_code(std::string_view text);
// hh:mm:ss,mmm, milliseconds rounded to the nearest (ties to even); a negative or not-a-number
// time gives "00:00:00,000".
std::string format_time_code(double seconds);

}  // namespace wellvue
