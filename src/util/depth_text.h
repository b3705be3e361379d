// The depth as the station writes it on screen and in the subtitles: two decimals with the
// locale's decimal mark, the metre sign after it.
#pragma once
#include <string>

namespace wellvue {

// "12.34m" (the live depth, the water depth).
std::string depth_text(double metres);
// " 12.34 m" (the curb zero's start depth).
std::string spaced_depth_text(double metres);

}  // namespace wellvue
