// Depth-to-video alignment of a recording. The station's recording workflow records the
// test-pattern camera while the simulated board sends a slow descent with pauses (one tic per
// line, 1 tic = 1 cm, so each depth text names its line). Then:
//  - end: the end time of the closing depth entry against the AVI's real duration (its headers);
//  - lines: for every depth line, the time code the SRT gives its arrival (the end of its entry,
//    where the next entry starts) against the video time of the frame captured when it arrived
//    (arrival on the monotonic clock minus the capture time of the file's first frame), and the
//    start time of the entry that shows it against the same frame time.
// Run once with the track clock at the first frame (the station) and once at the first poll
// after the start with the end at the last 100 ms tick.
//
//   recording_alignment_bench [--seconds 300] [--timing both|first-frame|first-poll] [--folder DIR]
//                             [--outliers]   (lists the lines over 40 ms)
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "capture/avi/avi_info.h"
#include "capture/cap_devices.h"
#include "capture/gst/gst_graph_backend.h"
#include "capture/gst/gst_runtime.h"
#include "capture/gst/owner_loop.h"
#include "capture/gst/test_pattern_device.h"
#include "encoder/posix_serial_port.h"
#include "recording/recording_texts.h"
#include "recording/recording_workflow.h"
#include "sim_board.h"
#include "util/decimal_separator.h"
#include "util/scripted_prompter.h"
#include "util/text_file.h"

using namespace wellvue;
namespace fs = std::filesystem;

namespace {

class View : public LinkView {
 public:
  std::string label2, label5;
  void set_text(Control c, const std::string& t) override {
    if (c == Control::MainLabel2) label2 = t;
  }
};

class Host : public RecordingHost {
 public:
  Host(EncoderLink& l, View& v, std::string f) : folder(std::move(f)), link(l), view(v) {}
  std::string video_folder() override { return folder; }
  std::string prefix() override { return "alignement"; }
  bool with_date() override { return false; }
  std::string depth_text() override { return view.label2; }
  void set_depth_text(const std::string& t) override { view.label2 = t; }
  std::string status_text() override { return view.label5; }
  void set_status_text(const std::string& t) override { view.label5 = t; }
  void close_port() override { link.close_without_pause(); }
  void open_port() override { link.Button1Click(); }
  void show_acquisition(int) override {}
  std::string folder;
  EncoderLink& link;
  View& view;
};

struct Stats {
  std::vector<double> v;
  void add(double x) { v.push_back(x); }
  double pct(double p) const {
    if (v.empty()) return NAN;
    std::vector<double> s = v;
    std::sort(s.begin(), s.end());
    return s[std::min(s.size() - 1, static_cast<std::size_t>(p * (s.size() - 1) + 0.5))];
  }
  std::size_t over(double limit) const {
    return static_cast<std::size_t>(std::count_if(v.begin(), v.end(), [&](double x) { return std::fabs(x) > limit; }));
  }
  double max_abs() const {
    double m = 0;
    for (double x : v) m = std::max(m, std::fabs(x));
    return m;
  }
};

// A slow descent: a tic every 100 ms for 8 s, then 4 s at rest, again and again.
std::vector<std::string> descent_lines() {
  std::vector<std::string> lines;
  long long count = 1;
  for (int cycle = 0; cycle < 40; ++cycle) {
    for (int i = 0; i < 80; ++i) lines.push_back(std::to_string(count++) + "|");
    for (int i = 0; i < 40; ++i) lines.push_back(std::to_string(count - 1) + "|");
  }
  return lines;
}

bool g_list_outliers = false;

struct Entry {
  std::int64_t start_ms = 0, end_ms = 0;
  std::string text;
};

std::vector<Entry> read_entries(const std::string& path) {
  std::vector<Entry> out;
  const auto lines = read_text_lines(path);
  for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
    const auto arrow = lines[i + 1].find(" --> ");
    if (lines[i].empty() || arrow == std::string::npos || (i > 0 && !lines[i - 1].empty())) continue;
    Entry e;
    e.start_ms = time_code_ms(lines[i + 1].substr(0, arrow));
    e.end_ms = time_code_ms(lines[i + 1].substr(arrow + 5));
    e.text = lines[i + 2];
    out.push_back(e);
  }
  return out;
}

bool run(TrackTiming timing, int seconds, const fs::path& folder) {
  const char* name = timing == TrackTiming::FirstFrame ? "first frame, end at the video's length"
                                                       : "first poll after the start, end at the last tick";
  std::printf("\n== track clock: %s; %d s recording\n", name, seconds);
  fs::create_directories(folder);
  gst::OwnerLoop loop;
  ScriptedPrompter prompter;
  gst::GstGraphBackend backend{loop};
  TVideoCapture engine(backend, loop, prompter);
  engine.InitCapture();
  engine.SetWantAudio(false);
  engine.SetUseTempFile(true);
  engine.SetTempCaptureFileName("captemp.avi");
  TGraphConfig config;
  config.VideoSourceName = gst::kTestPatternName;
  const auto comp = GetVideoCompressorNames(backend, false);
  if (std::find(comp.begin(), comp.end(), "JPEG image encoder") != comp.end())
    config.VideoCompressorName = "JPEG image encoder";
  config.WantCapture = config.WantPreview = true;
  config.UseTempFile = true;
  config.CaptureFileName = (folder / "capture.avi").string();
  engine.ApplyConfig(&config);

  SimBoard board;
  std::mutex sent_mutex;
  std::map<long long, std::vector<double>> sent_at;  // count -> monotonic ms of each sending
  std::atomic<bool> stop{false};
  SimOptions sim;
  sim.period_ms = 100;
  sim.use_lines = true;
  sim.lines = descent_lines();
  std::thread board_thread([&] {
    board.run(sim, stop, [&](const std::string& line, double t) {
      const long long count = std::atoll(line.c_str());
      std::lock_guard lock(sent_mutex);
      sent_at[count].push_back(t);
    });
  });
  PosixSerialPort port;
  SystemClock clock;
  View view;
  EncoderLink link(port, clock, prompter, view, [&](std::function<void()> f) { loop.post(std::move(f)); });
  link.fields().ComboBox1_port_com = board.slave_path();
  link.fields().Edit_circ = "240";  // 1 tic = 1 cm
  link.Button1Click();
  Host host(link, view, folder.string());
  RecordingOptions options;
  options.timing = timing;
  RecordingWorkflow workflow(engine, &config, link, prompter, clock, host, options);
  engine.OnCaptureProgress = [&](TVideoCapture&) { workflow.capCaptureProgress(); };

  loop.run_for(std::chrono::milliseconds(2500));                         // the board's boot after the open
  if (fs::exists(folder / "alignement.avi")) prompter.add_answer(true);  // overwrite
  prompter.add_answer(false);                                            // zero question
  prompter.add_answer(true);                                             // start
  const bool started = workflow.btStartClick();
  const double offset_cm = link.state().depth_offset_m * 100.0;
  double stop_pressed_ms = 0;
  if (started) {
    loop.run_for(std::chrono::seconds(seconds));
    stop_pressed_ms = clock.elapsed_ms();
    workflow.btStopClick();
  }
  const double first_frame_ms = static_cast<double>(engine.FirstFrameTimeNs()) / 1e6;
  const std::int64_t origin = workflow.track_origin_ms().value_or(link.state().time_origin_ms);
  stop = true;
  board.unplug();
  board_thread.join();
  link.close_without_pause();
  engine.OnCaptureProgress = nullptr;
  if (!started) {
    std::printf("the recording did not start\n");
    return false;
  }

  const std::string avi = (folder / "alignement.avi").string();
  const auto info = avi::read_avi_file(avi);
  if (!info.info) {
    std::printf("AVI unreadable: %s\n", info.error.c_str());
    return false;
  }
  const double avi_ms = info.info->video_duration_seconds() * 1000.0;
  const auto entries = read_entries((folder / "alignement.srt").string());
  if (entries.size() < 2) {
    std::printf("no entries\n");
    return false;
  }
  const Entry& closing = entries[entries.size() - 2];
  std::printf("AVI: %llu frames, %.3f s; track origin - first frame: %+.1f ms\n",
              static_cast<unsigned long long>(info.info->declared_video_frames()), avi_ms / 1000.0,
              static_cast<double>(origin) - first_frame_ms);
  // Whether the file's time runs with the wall clock (the premise of the frame times below).
  std::printf("video length - wall time from its first frame to the stop press: %+.1f ms\n",
              avi_ms - (stop_pressed_ms - first_frame_ms));
  std::printf("end: closing entry ends at %.3f s, the AVI lasts %.3f s: error %+.1f ms\n", closing.end_ms / 1000.0,
              avi_ms / 1000.0, closing.end_ms - avi_ms);

  Stats arrival, start;
  // The closing pair (the last depth held to the end, then the end time) marks no line's arrival.
  for (std::size_t k = 0; k + 2 < entries.size(); ++k) {
    const Entry& e = entries[k];
    const auto m = e.text.find_last_of("0123456789");
    if (e.text.find(" ... ") != std::string::npos || m == std::string::npos || e.text.find('m') == std::string::npos)
      continue;
    // The depth text "x.xxm" after the borehole padding: its centimetres name the count.
    const auto mpos = e.text.find('m');
    auto begin = e.text.find_last_not_of("0123456789.,-", mpos - 1);
    begin = begin == std::string::npos ? 0 : begin + 1;
    std::string number = e.text.substr(begin, mpos - begin);
    std::replace(number.begin(), number.end(), ',', '.');
    const long long count = std::llround(std::atof(number.c_str()) * 100.0 - offset_cm);
    // A count sent again at rest is decoded again when a read splits or joins its lines: the line
    // is the last sending of that count before it was decoded (sendings are 100 ms apart, the
    // decoding follows within a few tens of ms).
    double sent = -1;
    {
      std::lock_guard lock(sent_mutex);
      const auto it = sent_at.find(count);
      if (it == sent_at.end()) continue;
      const double decoded = static_cast<double>(origin + e.end_ms);
      for (double t : it->second)
        if (t <= decoded + 50) sent = t;
    }
    if (sent < 0) continue;
    const double frame_ms = sent - first_frame_ms;  // video time of the frame captured then
    if (frame_ms < 0 || frame_ms > avi_ms) continue;
    arrival.add(static_cast<double>(e.end_ms) - frame_ms);
    if (g_list_outliers && std::fabs(static_cast<double>(e.end_ms) - frame_ms) > 40) {
      std::printf("  outlier: count %lld sent at %.1f ms of video, its entry %lld --> %lld ms\n", count, frame_ms,
                  static_cast<long long>(e.start_ms), static_cast<long long>(e.end_ms));
    }
    start.add(static_cast<double>(e.start_ms) - frame_ms);
  }
  std::printf("lines: %zu depth lines\n", arrival.v.size());
  std::printf(
      "  time code of a line's arrival - its frame's time: median %+.1f ms, p5 %+.1f, p95 %+.1f, p99 %+.1f, "
      "max |%.1f| ms, %zu over 40 ms\n",
      arrival.pct(0.5), arrival.pct(0.05), arrival.pct(0.95), arrival.pct(0.99), arrival.max_abs(), arrival.over(40));
  std::printf(
      "  start of the entry showing it - its frame's time: median %+.1f ms, p5 %+.1f, p95 %+.1f, max |%.1f| ms\n",
      start.pct(0.5), start.pct(0.05), start.pct(0.95), start.max_abs());
  const bool ok = std::fabs(closing.end_ms - avi_ms) <= 40 && arrival.max_abs() <= 40;
  std::printf("target (end and arrivals within 40 ms): %s\n", ok ? "met" : "NOT met");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 300;
  std::string timing = "both";
  fs::path folder = fs::temp_directory_path() / "wellvue-alignment";
  for (int i = 1; i < argc; ++i) {
    const bool has_value = i + 1 < argc;
    if (!std::strcmp(argv[i], "--outliers")) g_list_outliers = true;
    else if (has_value && !std::strcmp(argv[i], "--seconds")) seconds = std::atoi(argv[++i]);
    else if (has_value && !std::strcmp(argv[i], "--timing")) timing = argv[++i];
    else if (has_value && !std::strcmp(argv[i], "--folder")) folder = argv[++i];
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  gst::ensure_gstreamer();
  gst::register_test_pattern_device();
  set_decimal_separator('.');
  bool ok = true;
  if (timing == "both" || timing == "first-frame") ok &= run(TrackTiming::FirstFrame, seconds, folder / "first-frame");
  if (timing == "both" || timing == "first-poll") ok &= run(TrackTiming::FirstPoll, seconds, folder / "first-poll");
  return ok ? 0 : 1;
}
