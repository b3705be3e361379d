// Shared helpers of the GStreamer backend tests: the engine on the test-pattern camera with an
// owner loop and a scripted prompter, a scratch folder, and reading an AVI back through GStreamer.
#pragma once
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "capture/gst/gst_graph_backend.h"
#include "capture/gst/owner_loop.h"
#include "capture/video_capture.h"
#include "util/scripted_prompter.h"

namespace wellvue::gst::testing {

// A fresh folder under the test temp dir, removed with everything in it at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// What GStreamer finds when it plays a file to the end.
struct Readback {
  bool ok = false;
  std::string error;
  std::uint64_t frames = 0;     // decoded video frames
  std::uint64_t first_pts = 0;  // of the first frame (ns)
  std::uint64_t end_time = 0;   // pts + duration of the last frame (ns)
};
Readback read_back(const std::string& path);

// A JPEG decoded by GStreamer's jpegdec (libjpeg, not the encoder that wrote it) to RGB.
struct RgbPicture {
  bool ok = false;
  std::string error;
  int width = 0, height = 0, stride = 0;
  std::vector<std::uint8_t> rgb;
  const std::uint8_t* pixel(int x, int y) const { return &rgb[static_cast<size_t>(y) * stride + 3u * x]; }
};
RgbPicture decode_jpeg(const std::string& path);

// Counts the preview pictures handed to the view.
class CountingSurface : public VideoSurface {
 public:
  void present(const VideoFrame& f) override;
  std::uint64_t frames() const { return frames_.load(); }
  int last_width() const { return width_.load(); }
  int last_height() const { return height_.load(); }

 private:
  std::atomic<std::uint64_t> frames_{0};
  std::atomic<int> width_{0}, height_{0};
};

// The engine as the station hosts it, on the test-pattern camera, recording its events in order
// (progress and frame events are counted, not listed).
class Station {
 public:
  explicit Station(GstGraphBackend::Options options = {});
  ~Station();

  TGraphConfig config(const std::string& capture_file) const;
  // Runs the owner loop until `done` or the time-out (generous: the machine may be loaded).
  bool run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(20));
  void run_for(std::chrono::milliseconds d) { loop.run_for(d); }
  // Reports the engine showed, in order.
  std::vector<std::string> reports() const { return prompter.texts(); }

  OwnerLoop loop;
  CountingSurface surface;  // outlives the engine that shows pictures in it
  GstGraphBackend backend;
  ScriptedPrompter prompter;
  TVideoCapture cap;
  std::vector<std::string> events;
  int progress = 0;
  int frames_rendered = 0;
  bool frame_off_owner_thread = false;
  std::thread::id owner = std::this_thread::get_id();
};

}  // namespace wellvue::gst::testing
