// What the main window asks of the rest of the station (the link window, the settings, the
// process). The program fills these once the link window exists; an empty one does nothing.
#pragma once
#include <functional>

namespace wellvue {

struct StationLinks {
  // "Port COM RS232": show the link window and give it the focus.
  std::function<void()> show_link_window;
  // "ZERO eau": the link window's water zero, with its own question.
  std::function<void()> water_zero;
  // The curb zero taken at the wheel's position before a recording starts (curb_zero := tics).
  std::function<void()> curb_zero_at_tics;
  // Writes the settings file (closing the window).
  std::function<void()> save_settings;
};

}  // namespace wellvue
