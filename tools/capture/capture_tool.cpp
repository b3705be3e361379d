#include "capture_tool.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <iomanip>

#include "capture/cap_devices.h"
#include "capture/gst/gst_graph_backend.h"
#include "capture/gst/owner_loop.h"
#include "capture/gst/test_pattern_device.h"
#include "capture/recording_format.h"
#include "capture/video_capture.h"
#include "util/cp1252.h"
#include "util/scripted_prompter.h"

namespace wellvue::capture_tool {
namespace {

using Clock = std::chrono::steady_clock;

// Counts the preview pictures the engine hands to its view.
class CountingSurface : public VideoSurface {
 public:
  void present(const VideoFrame&) override { ++frames; }
  std::atomic<std::uint64_t> frames{0};
};

// The engine and what it runs on, as the station has it, minus the windows.
struct Station {
  explicit Station(bool test_source) {
    if (test_source) gst::register_test_pattern_device();
  }
  gst::OwnerLoop loop;
  gst::GstGraphBackend backend{loop};
  ScriptedPrompter prompter;
  TVideoCapture cap{backend, loop, prompter};
  size_t reported = 0;

  // The engine's messages since the last call, on stderr in UTF-8.
  void flush_reports(std::ostream& err) {
    const auto& shown = prompter.shown();
    for (; reported < shown.size(); ++reported) err << cp1252_to_utf8(shown[reported].text) << '\n';
  }
};

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

void print_names(std::ostream& out, const char* heading, const std::vector<std::string>& names) {
  out << heading << '\n';
  for (const auto& n : names) out << cp1252_to_utf8(n) << '\n';
}

}  // namespace

int list_devices(const Options& o, std::ostream& out, std::ostream& err) {
  Station s(o.test_source);
  s.cap.InitCapture();  // no camera is no error here: the list is just empty
  const auto videos = GetVideoDeviceNames(s.backend, false);
  out << "Sources vidéo\n";
  for (const auto& name : videos) {
    out << cp1252_to_utf8(name) << '\n';
    TGraphConfig config;
    config.VideoSourceName = name;
    config.WantCapture = config.WantPreview = config.WantAudio = false;
    s.cap.ApplyConfig(&config);
    for (int i = 0; i < s.cap.VideoModeCount(); ++i)
      out << "  " << cp1252_to_utf8(VideoModeText(s.cap.GetVideoMode(i))) << '\n';
  }
  print_names(out, "Sources audio", GetAudioDeviceNames(s.backend, false));
  print_names(out, "Compresseurs vidéo", GetVideoCompressorNames(s.backend, false));
  print_names(out, "Compresseurs audio", GetAudioCompressorNames(s.backend, false));
  s.flush_reports(err);
  return 0;
}

int record(const Options& o, std::ostream& out, std::ostream& err) {
  CountingSurface surface;  // outlives the engine that shows pictures in it
  Station s(o.test_source);
  if (!s.cap.InitCapture()) {
    s.flush_reports(err);
    err << "Can't init capture!\n";
    return 2;
  }
  const auto videos = GetVideoDeviceNames(s.backend, false);
  std::string device = utf8_to_cp1252(o.device);
  if (device.empty()) device = o.test_source ? gst::kTestPatternName : videos.front();
  if (!contains(videos, device)) {
    err << "aucune source vidéo nommée '" << cp1252_to_utf8(device) << "' (voir --list)\n";
    return 2;
  }
  const std::string compressor = utf8_to_cp1252(o.compressor);
  if (!compressor.empty() && !contains(GetVideoCompressorNames(s.backend, false), compressor)) {
    err << "aucun compresseur vidéo nommé '" << o.compressor << "' (voir --list)\n";
    return 2;
  }

  TGraphConfig config;
  config.VideoSourceName = device;
  config.VideoCompressorName = compressor;
  config.WantCapture = true;
  config.WantPreview = o.preview;
  config.WantBitmaps = o.preview;
  config.BitmapPixelFormat = pf32bit;  // the view's own layout: the tap adds no conversion
  config.WantAudio = false;
  config.UseTempFile = false;
  config.CaptureFileName = std::filesystem::absolute(o.file).string();

  std::uint64_t notifications = 0;
  bool aborted = false, lost = false;
  s.cap.SetVideoSurface(&surface);
  s.cap.OnFrameRendered = [&](TVideoCapture&) { ++notifications; };
  s.cap.OnAborted = [&](TVideoCapture&) { aborted = true; };
  s.cap.OnDeviceLost = [&](TVideoCapture&) { lost = true; };

  s.cap.ApplyConfig(&config);
  // The view shows the picture at its own size, as the station's window does.
  const TVCapMode mode = s.cap.GetCurrentVideoMode();
  if (mode.Width > 0 && mode.Height > 0) s.cap.Resize(mode.Width, mode.Height);
  if (!s.cap.StartCapture(false)) {
    s.flush_reports(err);
    err << "l'enregistrement n'a pas démarré\n";
    return 1;
  }
  const auto deadline = Clock::now() + std::chrono::seconds(o.seconds);
  s.loop.run_until([&] { return !s.cap.Capturing() || Clock::now() >= deadline; },
                   std::chrono::seconds(o.seconds + 30));
  if (s.cap.Capturing()) s.cap.StopCapture();
  if (o.preview) s.cap.StopPreview();
  s.loop.run_for(std::chrono::milliseconds(50));

  const CaptureStats& st = s.cap.LastCaptureStats();
  out << "file: " << s.cap.RecordingFile() << '\n'
      << "frames written: " << st.frames_written << '\n'
      << "frames filled: " << st.frames_filled << '\n'
      << "frames dropped: " << st.frames_dropped << '\n'
      << "duration: " << std::fixed << std::setprecision(3) << st.file_duration_s << " s\n";
  if (o.preview)
    out << "preview frames: " << surface.frames.load() << '\n' << "frame notifications: " << notifications << '\n';
  s.flush_reports(err);
  if (lost) {
    err << "la source vidéo a été perdue pendant l'enregistrement\n";
    return 1;
  }
  if (aborted) {
    err << "enregistrement interrompu : " << cp1252_to_utf8(s.cap.LastAbortReason()) << '\n';
    if (st.frames_written > 0) err << "ce qui a été enregistré reste lisible dans " << s.cap.RecordingFile() << '\n';
    return 1;
  }
  return st.frames_written > 0 ? 0 : 1;
}

int repair(const Options& o, std::ostream& out, std::ostream& err) {
  const RecordingFormat& format = default_recording_format();
  const Recovery r = format.repair(o.file);
  switch (r.status) {
    case RecoveryStatus::Repaired:
    case RecoveryStatus::AlreadyFinalised:
      out << cp1252_to_utf8(r.message) << '\n'
          << "frames: " << r.frames << '\n'
          << "duration: " << std::fixed << std::setprecision(3) << r.duration_seconds << " s\n";
      return 0;
    case RecoveryStatus::Empty:
    case RecoveryStatus::Failed:
      break;
  }
  err << cp1252_to_utf8(r.message) << '\n';
  // A file with no frame any reader finds is put out of the way, never deleted: what it holds
  // may still be worth something to someone with better tools. One with frames stays put.
  std::error_code exists_ec;
  const auto length = format.read_length(o.file);
  const bool nothing_recoverable = r.status == RecoveryStatus::Empty || !length || length->frames_on_disk == 0;
  if (!nothing_recoverable || !std::filesystem::exists(std::filesystem::symlink_status(o.file, exists_ec))) return 1;
  std::error_code ec;
  const std::string aside = format.set_aside(o.file, ec);
  if (aside.empty()) {
    err << "impossible de mettre l'enregistrement de côté : " << ec.message() << '\n';
    return 1;
  }
  err << "aucune image récupérable : fichier conservé sous " << aside << '\n';
  return 1;
}

}  // namespace wellvue::capture_tool
