// Subtitle time codes (hh:mm:ss,mmm) read and written as seconds, the typed video duration
// completed to a time code, and the three transformations of one time line used by re-timing.
#pragma once
#include <string>
#include <string_view>

#include "util/time_code.h"

namespace wellvue {

inline constexpr std::string_view kTimeLineSeparator = " --> ";

// The video duration as typed ("7", "45", "3:07", "12:30") completed to a time code; other texts
// come back trimmed and otherwise unchanged.
std::string normalize_duration(std::string_view typed);
// The time line rebuilt with two-digit seconds and a comma before the milliseconds; text after the
// end code is dropped. A line without " --> " is returned unchanged.
std::string normalize_time_line(std::string_view line);
// Both times multiplied by factor.
std::string scale_time_line(std::string_view line, double factor);
// Both times moved back by amount where they are at least amount; the end never precedes the start.
std::string shift_time_line(std::string_view line, double amount);

// Characters 18 to 29 of a time line: where its end time code stands.
std::string_view end_code_of(std::string_view line);

}  // namespace wellvue
