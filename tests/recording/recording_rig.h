// The recording workflow on real parts without the windows: the capture engine over GStreamer with
// the test-pattern camera writing real AVI files, the encoder link on a pseudo-terminal fed by the
// simulated board, a scripted prompter, and GStreamer read-backs of the files written.
#pragma once
#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../util/temp_dir.h"
#include "capture/capture_files.h"
#include "capture/gst/gst_graph_backend.h"
#include "capture/gst/owner_loop.h"
#include "encoder/posix_serial_port.h"
#include "recording/recording_workflow.h"
#include "sim_board.h"
#include "util/scripted_prompter.h"

namespace wellvue::test {

// Shows the link's texts that the workflow reads back (the depth line in Label2).
class HostView : public LinkView {
 public:
  std::string label2;
  std::string label5;
  std::vector<bool> link_lost;  // every show_link_lost, in order
  void set_text(Control c, const std::string& text) override {
    if (c == Control::MainLabel2) label2 = text;
    if (c == Control::MainLabel5) label5 = text;
  }
  void show_link_lost(bool lost) override { link_lost.push_back(lost); }
};

class TestHost : public RecordingHost {
 public:
  TestHost(EncoderLink& link, HostView& view, std::string folder)
      : folder(std::move(folder)), link_(link), view_(view) {}
  std::string video_folder() override { return folder; }
  std::string prefix() override { return prefix_text; }
  bool with_date() override { return date; }
  void set_depth_text(const std::string& t) override { view_.label2 = t; }
  std::string status_text() override { return view_.label5; }
  void set_status_text(const std::string& t) override {
    view_.label5 = t;
    ++status_sets;
  }
  void show_acquisition(int index) override { shown.push_back(index); }
  bool choose_video_folder() override {
    ++choices;
    if (chooser_gives.empty()) return false;
    folder = chooser_gives;
    return true;
  }
  void show_warning(const std::string& text) override {
    if (!text.empty()) warnings.push_back(text);
  }
  void show_idle() override { ++idles; }

  std::string folder;
  std::string prefix_text = "puits";
  bool date = false;
  int status_sets = 0, choices = 0, idles = 0;
  std::vector<int> shown;
  std::string chooser_gives;  // the folder the chooser returns; empty: the operator cancels
  std::vector<std::string> warnings;

 private:
  EncoderLink& link_;
  HostView& view_;
};

struct RigOptions {
  RecordingOptions recording;
  // Files of the engine; null: the real file system.
  std::unique_ptr<CaptureFiles> files;
  // Lines of the board; empty: it counts up from 0 every 100 ms.
  std::vector<std::string> lines;
  // Compressor of the recordings; empty: JPEG when there is one.
  std::string compressor;
  // The port is chosen by a symbolic link to the board's pseudo-terminal, as udev names a device,
  // so that a board plugged in again can be found behind the same name.
  bool by_link_name = false;
};

class Rig {
 public:
  explicit Rig(const std::filesystem::path& folder, RigOptions options = {});
  ~Rig();

  // Runs the owner loop until done() or the time-out (ms); true when done.
  bool run_until(const std::function<bool()>& done, int timeout_ms = 30000);
  void run_for(int ms);
  // The start with answers to the overwrite question (when asked), the zero question and the
  // engine's start question.
  bool start(bool zero, bool confirm = true, bool overwrite = true);
  // Records until `entries` depth or title entries are in the track and 2.5 s of video are written.
  bool record_entries(int entries);
  // Unplugs the board for real: it stops sending and the master side of its terminal closes.
  void unplug_board();
  // Plugs a new board in (a new pseudo-terminal, counting from 0 after its boot) behind the link
  // name; the first board without one.
  void plug_in_new_board();
  // The link name the port is chosen by (empty without by_link_name).
  std::string link_name() const;

  gst::OwnerLoop loop;
  ScriptedPrompter prompter;
  gst::GstGraphBackend backend{loop};
  std::unique_ptr<TVideoCapture> engine;
  TGraphConfig config;
  SimBoard board;
  PosixSerialPort port;
  SystemClock clock;
  HostView view;
  std::unique_ptr<EncoderLink> link;
  std::unique_ptr<TestHost> host;
  std::unique_ptr<RecordingWorkflow> workflow;
  std::filesystem::path folder;

 private:
  void run_board(SimBoard& b);
  void point_link_to(const SimBoard& b);

  std::atomic<bool> stop_board_{false};
  std::thread board_thread_;
  SimOptions sim_;
  std::unique_ptr<TempDir> link_dir_;
  std::vector<std::unique_ptr<SimBoard>> boards_plugged_later_;
};

// Complete entries (number line ... empty line) in the track.
int entries_in(const std::deque<std::string>& track);

// What GStreamer's AVI demuxer and decoder make of a file.
struct PlayedVideo {
  bool ok = false;
  std::uint64_t frames = 0;
  double duration_s = 0;  // end of the last frame
  std::string error;
};
PlayedVideo play_avi(const std::string& path);

// Entries as GStreamer's subtitle parser reads them (CP1252 file).
struct ParsedSubtitle {
  double start_s = 0;
  double end_s = 0;
  std::string text;  // UTF-8, lines joined by "\n"
};
std::vector<ParsedSubtitle> parse_srt(const std::string& path, std::string* error = nullptr);

std::string read_bytes(const std::filesystem::path& path);

}  // namespace wellvue::test
