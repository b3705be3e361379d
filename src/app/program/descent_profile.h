// The wheel readings of a demonstration descent: the camera goes down a well in stages with
// pauses, then comes back up to the curb, as lines of the encoder board.
#pragma once
#include <string>
#include <vector>

namespace wellvue {

struct DescentProfile {
  int period_ms = 100;            // one board line per period
  double tics_per_metre = 59.26;  // 24 tics per turn of a 405 mm wheel
  double depth_m = 12.0;          // the bottom of the descent
  double stage_m = 2.0;           // a pause after every stage
  double down_m_per_s = 0.25;
  double up_m_per_s = 0.8;
  double pause_s = 4.0;
};

// One cycle of board lines ("<count>|"), starting and ending at count 0, so that repeating it
// goes on smoothly.
std::vector<std::string> descent_lines(const DescentProfile& profile = {});

}  // namespace wellvue
