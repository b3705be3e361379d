#include "headless_recording.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "answering_prompter.h"
#include "capture/cap_devices.h"
#include "capture/gst/gst_graph_backend.h"
#include "capture/gst/gst_runtime.h"
#include "capture/gst/owner_loop.h"
#include "capture/gst/test_pattern_device.h"
#include "capture/video_capture.h"
#include "command_line_host.h"
#include "encoder/sim/sim_board.h"
#include "recording/depth_notes.h"
#include "recording/recording_workflow.h"
#include "station/station_model.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"

namespace wellvue::record_tool {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr const char* kJpegEncoder = "JPEG image encoder";

// The simulated board on its own thread, for as long as the recording runs.
class BoardThread {
 public:
  BoardThread() {
    thread_ = std::thread([this] { board_.run(SimOptions{}, stop_); });
  }
  ~BoardThread() {
    stop_ = true;
    board_.unplug();
    if (thread_.joinable()) thread_.join();
  }
  const std::string& port() const { return board_.slave_path(); }

 private:
  SimBoard board_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

int record(const Options& o, std::ostream& out, std::ostream& err, const std::atomic<bool>& stop) {
  if (!gst::ensure_gstreamer()) {
    err << "GStreamer ne démarre pas\n";
    return kNotRecorded;
  }
  if (o.test_source) gst::register_test_pattern_device();

  std::unique_ptr<BoardThread> board;
  if (o.simulate_board) {
    try {
      board = std::make_unique<BoardThread>();
    } catch (const std::exception& e) {
      err << "carte simulée impossible : " << e.what() << '\n';
      return kNotRecorded;
    }
  }

  RecordingWorkflow* workflow = nullptr;
  AnsweringPrompter prompter(o, err, [&workflow] { return workflow ? workflow->avi_name() : std::string(); });
  gst::OwnerLoop loop;
  gst::GstGraphBackend backend{loop};
  TVideoCapture engine(backend, loop, prompter);
  if (!engine.InitCapture()) {
    err << "la capture vidéo ne démarre pas\n";
    return kNotRecorded;
  }
  // As the main window sets its engine up.
  engine.SetWantAudio(false);
  engine.SetUseTempFile(true);
  engine.SetTempCaptureFileName("captemp.avi");

  const auto cameras = GetVideoDeviceNames(backend, false);
  std::string camera = o.test_source ? std::string(gst::kTestPatternName) : utf8_to_cp1252(o.camera);
  if (camera.empty()) {
    // The first camera; the test pattern is only chosen by name.
    for (const auto& name : cameras)
      if (name != gst::kTestPatternName) {
        camera = name;
        break;
      }
    if (camera.empty()) {
      err << "aucune caméra trouvée (--test-source pour la mire de test)\n";
      return kNotRecorded;
    }
  }
  if (!contains(cameras, camera)) {
    err << "aucune caméra nommée '" << cp1252_to_utf8(camera) << "' (voir wellvue-capture --list)\n";
    return kNotRecorded;
  }
  // What the windows would show, made before the model that tells them and outlives it.
  TextsView view;
  CommandLineHost host(view, utf8_to_cp1252(o.folder), utf8_to_cp1252(o.prefix), o.with_date, err);
  // The station's own model: the same link, references, capture configuration and recording as
  // behind the windows.
  StationModel model(prompter);
  TGraphConfig& config = model.capture_config();
  config.VideoSourceName = camera;
  if (contains(GetVideoCompressorNames(backend, false), kJpegEncoder)) config.VideoCompressorName = kJpegEncoder;
  config.WantCapture = true;
  config.WantPreview = false;  // no window to show it in
  config.WantBitmaps = false;
  config.WantAudio = false;
  config.UseTempFile = true;
  config.TempCaptureFileName = "captemp.avi";
  engine.ApplyConfig(&config);

  model.set_post([&loop](std::function<void()> work) { loop.post(std::move(work)); });
  model.set_link_view(&view);
  EncoderLink& link = model.link();
  link.main_fields().Edit_nom_forage = utf8_to_cp1252(o.bore);
  if (board) link.fields().ComboBox1_port_com = board->port();
  else if (!o.port.empty()) link.fields().ComboBox1_port_com = o.port;
  // "OpenCom" as the operator presses it before a recording; a port that does not open is said
  // and the recording goes on without depths, as at the station.
  link.Button1Click();

  RecordingOptions options;
  options.hash_failed = [&err](const std::string& video, const std::string& why) {
    err << "empreinte SHA-256 de " << video << " non écrite : " << why << '\n';
  };
  RecordingWorkflow& recording = model.attach_recording(engine, &config, host, std::move(options));
  workflow = &recording;
  // The video leaves with its kept hash, whichever way the recording ended.
  struct AwaitHash {
    RecordingWorkflow& recording;
    ~AwaitHash() { recording.wait_for_video_hashes(); }
  } await_hash{recording};
  engine.OnCaptureProgress = [&recording](TVideoCapture&) { recording.capCaptureProgress(); };
  struct Unhook {
    TVideoCapture& engine;
    ~Unhook() { engine.OnCaptureProgress = nullptr; }
  } unhook{engine};

  if (!model.start_recording()) {
    err << "l'enregistrement n'a pas démarré\n";
    return kNotRecorded;
  }
  out << cp1252_to_utf8(recording.avi_name()) << '\n'
      << cp1252_to_utf8(recording.srt_name()) << '\n'
      << recording.depth_record_file() << '\n'
      << std::flush;

  const auto started = SteadyClock::now();
  const auto deadline = started + std::chrono::seconds(o.seconds);
  auto over = [&] { return stop || !recording.recording() || (o.seconds > 0 && SteadyClock::now() >= deadline); };
  DepthNotes& notes = model.notes();
  for (const TimedNote& note : o.notes) {
    const auto at =
        started + std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(note.at_s));
    loop.run_until([&] { return over() || SteadyClock::now() >= at; }, std::chrono::hours(24 * 365));
    if (over()) break;
    const std::string before = notes.last_photo();
    if (note.code.empty()) notes.take_photo();
    else notes.observe(note.code, {});
    if (notes.last_photo() != before) out << notes.last_photo() << '\n' << std::flush;
  }
  loop.run_until(over, std::chrono::hours(24 * 365));
  if (!recording.recording()) return kNotRecorded;  // ended by the engine, which said why

  try {
    model.stop_recording();
  } catch (const ConversionError& e) {
    // The subtitles cannot be written: the station keeps recording for another try; here the
    // video is finalised and the journal stays as the subtitles.
    prompter.inform(e.what());
    recording.finish_before_exit();
    return kNotRecorded;
  }
  const CaptureStats& stats = engine.LastCaptureStats();
  return stats.known && stats.frames_written == 0 ? kNotRecorded : kRecorded;
}

}  // namespace wellvue::record_tool
