// One subtitle entry as the SRT file holds it: its number, its time line, its text lines and the
// blank line that ends it. Every entry of the track and of the closing is built through it.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace wellvue {

struct SrtEntry {
  long long number = 0;
  std::string start;  // time codes
  std::string end;
  std::vector<std::string> text;
  // The closing entry's text line reads "start ... end"; every time line has " --> ".
  static constexpr std::string_view kArrow = " --> ";

  std::string time_line() const { return start + std::string(kArrow) + end; }
  // The file's lines of the entry, the ending blank line included.
  std::vector<std::string> lines() const;
};

}  // namespace wellvue
