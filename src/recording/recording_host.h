// What the recording workflow needs of the windows: the main window's prefix, date option, depth
// and status texts and video folder, and the link window's acquisition switch.
#pragma once
#include <string>

namespace wellvue {

// Every text is CP1252.
class RecordingHost {
 public:
  virtual ~RecordingHost() = default;
  virtual std::string video_folder() = 0;
  virtual std::string prefix() = 0;      // Edit_nom_prefixe
  virtual bool with_date() = 0;          // CheckBox1 "plus la date"
  // Label2: a text standing for the depth until the next reading (the counters' reset).
  virtual void set_depth_text(const std::string& text) = 0;
  virtual std::string status_text() = 0;  // Label5
  virtual void set_status_text(const std::string& text) = 0;
  // Shows item `index` of the acquisition switch as selected (0 "acquisition -> *.srt", 1 "stop").
  virtual void show_acquisition(int index) = 0;
  // The video folder chooser; true when a folder was chosen (video_folder() then gives it).
  virtual bool choose_video_folder() { return false; }
  // A notice that must not hold the recording up (shown beside it, no box to answer); empty
  // clears it.
  virtual void show_warning(const std::string& text) { (void)text; }
  // The recording ended without the stop button (the engine stopped it): the buttons go back to
  // their idle states.
  virtual void show_idle() {}
};

}  // namespace wellvue
