// The layout of a recorded SRT file apart from its depths and times: the byte rules (CR LF line
// ends, CP1252, trailing blank line) and the shape of each entry with its digits masked, so that
// two recordings of the same station compare equal whatever their depths and times.
#pragma once
#include <set>
#include <string>
#include <vector>

namespace wellvue::test {

struct SrtLayout {
  std::string problem;           // empty when the bytes and the entries keep the rules
  std::string first;             // shape of the first entry's text
  std::set<std::string> depths;  // shapes of the entries between the first and the closing ones
  std::string closing_depth;     // the last depth shown, closing the track
  std::string closing_span;      // "start ... end" of the last entry
  int entries = 0;
  // End of the closing depth entry, in ms (where the video ends).
  long long closing_end_ms = -1;
};

SrtLayout srt_layout(const std::string& bytes);

}  // namespace wellvue::test
