// The station's truth, without any window: the encoder link with its port and clock, the SRT
// re-timing tool, and what the recording reads of the depth. Windows hold a reference to it, show
// what it holds and forward their handlers to it.
#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "encoder/clock.h"
#include "encoder/encoder_link.h"
#include "encoder/serial_port.h"
#include "subtitles/retiming_tool.h"
#include "util/prompter.h"

namespace wellvue {

struct StationModelOptions {
  // Serial port and clock of the link; null: the POSIX port and the system clock.
  SerialPort* port = nullptr;
  Clock* clock = nullptr;
};

class StationModel {
 public:
  using Post = EncoderLink::Post;

  explicit StationModel(Prompter& prompter, StationModelOptions options = {});
  ~StationModel();
  StationModel(const StationModel&) = delete;
  StationModel& operator=(const StationModel&) = delete;

  EncoderLink& link() { return *link_; }
  DepthState& depth_state() { return link_->state(); }
  RetimingTool& retiming_tool() { return tool_; }
  SerialPort& port() { return *port_; }
  Clock& clock() { return *clock_; }
  Prompter& prompter() { return prompter_; }

  // Where the link's texts, enabled states and lines are shown; null: nowhere. The view must
  // outlive its attachment.
  void set_link_view(LinkView* view) { relay_.target = view; }
  // How the reader thread's completed reads reach the owner thread; empty: they are dropped.
  // Called from the reader thread too, so it is swapped under a lock.
  void set_post(Post post);

  // The depth text line on show in the main window: the last one the link formatted, or the one
  // the recording put there (its reset). The recording's closing entry carries it.
  std::string depth_text() const { return link_->main_fields().Label2; }
  void set_depth_text(const std::string& text) { link_->main_fields().Label2 = text; }

  // ---- What the main window asks of the link ------------------------------------------------
  // The curb zero taken at the wheel's position before a recording starts.
  void curb_zero_at_tics() { depth_state().curb_zero = depth_state().tics; }
  void set_start_depth_cm(int cm) { depth_state().start_depth_cm = cm; }
  // The start depth text as the link window's label and start-depth field hold it.
  void set_start_depth_text(const std::string& text) { link_->fields().Label22 = text; }

 private:
  // Forwards to the attached view; the link is made before any window.
  struct ViewRelay : LinkView {
    LinkView* target = nullptr;
    void set_text(Control c, const std::string& t) override {
      if (target) target->set_text(c, t);
    }
    void set_enabled(Button b, bool on) override {
      if (target) target->set_enabled(b, on);
    }
    void append_line(Memo m, const std::string& l) override {
      if (target) target->append_line(m, l);
    }
    void clear(Memo m) override {
      if (target) target->clear(m);
    }
    void drop_first_lines(Memo m, std::size_t n) override {
      if (target) target->drop_first_lines(m, n);
    }
    void port_list_changed() override {
      if (target) target->port_list_changed();
    }
    void show_link_lost(bool lost) override {
      if (target) target->show_link_lost(lost);
    }
  };

  void post(std::function<void()> fn);

  Prompter& prompter_;
  std::unique_ptr<SerialPort> own_port_;
  std::unique_ptr<Clock> own_clock_;
  SerialPort* port_ = nullptr;
  Clock* clock_ = nullptr;
  RetimingTool tool_;
  ViewRelay relay_;
  std::mutex post_mutex_;
  Post post_;
  std::unique_ptr<EncoderLink> link_;
};

}  // namespace wellvue
