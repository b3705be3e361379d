// The recording workflow's view of the two windows: the main window's prefix, date option, depth
// and status labels and video folder, and the link window's acquisition switch.
#pragma once
#include "app/link_window/tform1.h"
#include "app/main_window/main_form.h"
#include "recording/recording_host.h"

namespace wellvue {

class QtRecordingHost : public RecordingHost {
 public:
  QtRecordingHost(TFormMain& main, TForm1& link_window) : main_(main), link_window_(link_window) {}

  std::string video_folder() override;
  std::string prefix() override;
  bool with_date() override;
  void set_depth_text(const std::string& text) override;
  std::string status_text() override;
  void set_status_text(const std::string& text) override;
  void show_acquisition(int index) override;
  // The main window's folder chooser (the "Choix répertoire vidéo" panel).
  bool choose_video_folder() override;
  // In the main window's status bar.
  void show_warning(const std::string& text) override;
  void show_idle() override;

 private:
  TFormMain& main_;
  TForm1& link_window_;
};

}  // namespace wellvue
