// The station's truth, without any window: the encoder link with its port and clock and the
// sequencing of its opens, the settings file, the SRT re-timing tool, and the recording workflow.
// Windows hold a reference to it, show what it holds and forward their handlers to it.
#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "capture/graph_config.h"
#include "capture/video_capture.h"
#include "encoder/clock.h"
#include "encoder/encoder_link.h"
#include "encoder/serial_port.h"
#include "recording/depth_notes.h"
#include "recording/recording_host.h"
#include "recording/recording_workflow.h"
#include "subtitles/retiming_tool.h"
#include "util/prompter.h"
#include "util/settings_file.h"
#include "util/settings_values.h"

namespace wellvue {

struct StationModelOptions {
  // Serial port and clock of the link; null: the POSIX port and the system clock.
  SerialPort* port = nullptr;
  Clock* clock = nullptr;
};

class StationModel {
 public:
  using Post = EncoderLink::Post;
  // Runs a handler so that no error escapes it (the windows' handler boundary); false when an
  // error ended it.
  using Guard = std::function<bool(const std::function<void()>&)>;

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
  // The capture engine's configuration the camera dialog edits and the recording reads.
  TGraphConfig& capture_config() { return capture_config_; }

  // Where the link's texts, enabled states and lines are shown; null: nowhere. The view must
  // outlive its attachment.
  void set_link_view(LinkView* view) { relay_.target = view; }
  // How the reader thread's completed reads reach the owner thread; empty: they are dropped.
  // Called from the reader thread too, so it is swapped under a lock.
  void set_post(Post post);

  // The depth line of now: the borehole name, the depth and the water depth the present count
  // gives. The recording's closing entry carries it.
  std::string depth_text() const { return link_->depth_line_now(); }

  // ---- What the main window asks of the link ------------------------------------------------
  void set_start_depth_cm(int cm) { link_->set_start_depth_cm(cm); }
  // The start depth text as the link window's label and start-depth field hold it.
  void set_start_depth_text(const std::string& text) { link_->fields().Label22 = text; }

  // ---- "OpenCom" and "CloseCom" -------------------------------------------------------------
  // How handlers run here report their errors; empty: the errors propagate to the caller.
  void set_guard(Guard guard) { guard_ = std::move(guard); }
  // Told true when an open begins and false when it is over (the window greys "OpenCom").
  void set_opening_shown(std::function<void(bool)> shown) { opening_shown_ = std::move(shown); }
  // "OpenCom". The open and its pauses run on a worker thread and finish on the owner thread
  // through the post; done(completed) runs then (completed: no error ended it). Presses during an
  // open wait for it and run after it in their order.
  void open_port(std::function<void(bool)> done = {});
  // "CloseCom" without its pause; during an open it takes effect once the open is over.
  void close_port();
  bool opening() const { return opening_; }
  // Runs `fn` once the open under way is over, after the presses already waiting; at once when
  // there is none.
  void once_opened(std::function<void()> fn);
  // Waits for an open under way and forgets the presses waiting for it (exit, window gone).
  void abandon_open();

  // ---- Settings file ------------------------------------------------------------------------
  // Where the settings file and the default video folder are; set once, by whoever knows the
  // desktop's folders, before the first reading or writing.
  void set_settings_location(SettingsLocation where) { location_ = std::move(where); }
  bool has_settings_location() const { return location_.has_value(); }
  const SettingsLocation& settings_location() const { return *location_; }
  // The values last read or saved.
  const SettingsValues& settings() const { return settings_; }
  // The file's lines, or the default ones when there is no file.
  SettingsLines settings_file_lines() const { return load_settings_lines(location_->settings_file); }
  // Reads the lines over `values` (the current ones: a missing key keeps its value) and applies
  // the link's part. Throws ConversionError at a value that does not convert: the keys before it
  // are applied, to `values` and the link alike.
  void read_settings(const SettingsLines& lines, SettingsValues& values);
  // The link's part of the settings: start depth, sign, text codes, port and baud indices.
  void link_settings_into(SettingsValues& values) const;
  void apply_link_settings(const SettingsValues& values);
  // Writes the values; `lines` receives what was written. A failure comes back with its message.
  SettingsWriteResult save_settings(const SettingsValues& values, SettingsLines& lines);

  // ---- Recording ----------------------------------------------------------------------------
  // The recording workflow over the capture engine (which draws into the main window's view and
  // so is made by it) and the host that shows the recording. `clock` null: the link's clock.
  RecordingWorkflow& attach_recording(TVideoCapture& engine, TGraphConfig* config, RecordingHost& host,
                                      RecordingOptions options = {}, Clock* clock = nullptr);
  // Before the engine or the host go away.
  void detach_recording() {
    notes_.reset();
    recording_.reset();
  }
  RecordingWorkflow* recording() { return recording_.get(); }
  // The operator's photos and observations at depth, beside the attached recording.
  DepthNotes& notes() { return *notes_; }
  // "Start capture ?": the wheel's position is taken at this press; true when the engine records.
  bool start_recording() { return recording_ && recording_->btStartClick(); }
  // "Stop capture" (throws ConversionError when the subtitles cannot be written: the recording
  // goes on), and the end of a recording under way when the program ends.
  void stop_recording() {
    if (recording_) recording_->btStopClick();
  }
  void finish_recording_before_exit() {
    if (recording_) recording_->finish_before_exit();
  }
  // Recordings left unfinished by a crash in the video folder (UTF-8) or a folder recorded to
  // before are repaired and moved to their names, then hashed in the background as a stopped
  // recording is; the text to tell the operator, empty: none.
  std::string recover_unfinished(const std::string& video_folder);

 private:
  struct OpenRun;
  void finish_open(const std::shared_ptr<OpenRun>& run);
  bool guarded(const std::function<void()>& handler);

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
  TGraphConfig capture_config_;
  ViewRelay relay_;
  std::mutex post_mutex_;
  Post post_;
  std::unique_ptr<EncoderLink> link_;
  Guard guard_;
  std::function<void(bool)> opening_shown_;
  bool opening_ = false;
  std::thread open_worker_;
  std::vector<std::function<void()>> after_open_;
  std::optional<SettingsLocation> location_;
  SettingsValues settings_;
  std::string folders_file_;
  std::unique_ptr<RecordingWorkflow> recording_;
  std::unique_ptr<DepthNotes> notes_;
};

}  // namespace wellvue
