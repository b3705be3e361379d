// What the recording workflow asks of the windows, for the command line: the folder, prefix and
// date option given as options, and the depth and status texts kept as the main window would show them.
#pragma once
#include <ostream>
#include <string>

#include "encoder/encoder_link.h"
#include "encoder/link_view.h"
#include "recording/recording_host.h"

namespace wellvue::record_tool {

// The link's texts the workflow reads back (the depth line and the status).
class TextsView : public LinkView {
 public:
  void set_text(Control c, const std::string& text) override {
    if (c == Control::MainLabel2) depth = text;
    if (c == Control::MainLabel5) status = text;
  }
  std::string depth;
  std::string status;
};

class CommandLineHost : public RecordingHost {
 public:
  // Texts are CP1252.
  CommandLineHost(TextsView& view, std::string folder, std::string prefix, bool with_date, std::ostream& err)
      : view_(view),
        folder_(std::move(folder)),
        prefix_(std::move(prefix)),
        with_date_(with_date),
        err_(err) {}

  std::string video_folder() override { return folder_; }
  std::string prefix() override { return prefix_; }
  bool with_date() override { return with_date_; }
  void set_depth_text(const std::string& text) override { view_.depth = text; }
  std::string status_text() override { return view_.status; }
  void set_status_text(const std::string& text) override { view_.status = text; }
  void show_acquisition(int) override {}
  void show_warning(const std::string& text) override;

 private:
  TextsView& view_;
  std::string folder_;
  std::string prefix_;
  bool with_date_;
  std::ostream& err_;
};

}  // namespace wellvue::record_tool
