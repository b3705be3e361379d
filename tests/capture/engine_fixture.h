// The engine over the scripted backend, a webcam, a microphone and a compressor, recording into a
// fresh folder; every engine event is written down in order.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

#include "capture/video_capture.h"
#include "fake_graph_backend.h"
#include "util/scripted_prompter.h"

namespace wellvue::test {

class NullSurface : public VideoSurface {
 public:
  void present(const VideoFrame&) override {}
};

// The whole file's bytes; empty when it cannot be read.
inline std::string read(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline MediaFormat yuy2(int w, int h, std::int64_t interval = 400000) {
  MediaFormat m;
  m.major_type = guids::MEDIATYPE_Video;
  m.subtype = guids::MEDIASUBTYPE_YUY2;
  m.format_type = guids::FORMAT_VideoInfo;
  m.width = w;
  m.height = h;
  m.bit_count = 16;
  m.avg_time_per_frame = interval;
  return m;
}

inline MediaFormat pcm(int rate, int bits, int channels) {
  MediaFormat m;
  m.major_type = guids::MEDIATYPE_Audio;
  m.subtype = guids::MEDIASUBTYPE_PCM;
  m.format_type = guids::FORMAT_WaveFormatEx;
  m.samples_per_sec = rate;
  m.bits_per_sample = bits;
  m.channels = channels;
  m.avg_bytes_per_sec = rate * bits / 8 * channels;
  return m;
}

class EngineTest : public ::testing::Test {
 public:
  void SetUp() override {
    ClearAllDevices();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    dir = std::filesystem::temp_directory_path() / ("wellvue_cap_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    webcam = backend.add_device(DeviceCategory::VideoInput, "Webcam");
    webcam->caps = {yuy2(640, 480), yuy2(320, 240), yuy2(1280, 720)};
    webcam->intervals = {{333333, 1000000}, {333333, 1000000}, {1000000, 2000000}};
    webcam->current = yuy2(640, 480);
    micro = backend.add_device(DeviceCategory::AudioInput, "Micro");
    micro->caps = {pcm(44100, 16, 2), pcm(22050, 16, 1)};
    micro->current = pcm(44100, 16, 2);
    mjpeg = backend.add_device(DeviceCategory::VideoCompressor, "MJPEG");
    backend.add_device(DeviceCategory::AudioCompressor, "MP3");
    backend.written = "RIFF frames";

    config.VideoSourceName = "Webcam";
    config.WantCapture = true;
    config.WantPreview = true;
    config.WantBitmaps = true;
    config.WantAudio = false;
    config.WantDVAudio = false;
    config.WantAudioPreview = false;
    config.UseTempFile = true;
    config.CaptureFileName = path("final.avi");
    config.TempCaptureFileName = "captemp.avi";
  }

  void TearDown() override {
    cap.reset();
    ClearAllDevices();
    std::filesystem::remove_all(dir);
  }

  std::string path(const std::string& name) const { return (dir / name).string(); }

  void make(std::unique_ptr<CaptureFiles> files = nullptr) {
    cap = std::make_unique<TVideoCapture>(backend, scheduler, prompter, std::move(files));
    engine = cap.get();
    cap->SetVideoSurface(&surface);
    auto note = [this](const char* name) {
      return [this, name](TVideoCapture& sender) {
        EXPECT_EQ(&sender, engine);
        events.push_back(name);
      };
    };
    cap->OnAborted = note("Aborted");
    cap->OnDeviceLost = note("DeviceLost");
    cap->OnChangeDevice = note("ChangeDevice");
    cap->OnChangeCompressor = note("ChangeCompressor");
    cap->OnChangeVCapMode = note("ChangeVCapMode");
    cap->OnChangeACapMode = note("ChangeACapMode");
    cap->OnCaptureProgress = note("CaptureProgress");
    cap->OnStopCapture = note("StopCapture");
    cap->OnStopPreview = note("StopPreview");
    cap->OnStartCapture = note("StartCapture");
    cap->OnStartPreview = note("StartPreview");
    cap->OnFrameRendered = note("FrameRendered");
  }

  // A made engine with the configuration applied; reports and events of the set-up forgotten.
  void apply(bool forget = true) {
    if (!cap) make();
    cap->ApplyConfig(&config);
    if (forget) {
      prompter.clear();
      events.clear();
      backend.log.clear();
    }
  }

  std::vector<std::string> reports() const {
    std::vector<std::string> out;
    for (const auto& s : prompter.shown()) {
      if (s.kind != ScriptedPrompter::Kind::Inform) continue;
      EXPECT_EQ(s.caption, kCaptureReportCaption) << s.text;
      out.push_back(s.text);
    }
    return out;
  }

  FakeGraphBackend backend;
  ManualScheduler scheduler;
  ScriptedPrompter prompter;
  NullSurface surface;
  std::unique_ptr<TVideoCapture> cap;
  TVideoCapture* engine = nullptr;  // also valid while `cap` is being reset
  TGraphConfig config;
  std::filesystem::path dir;
  std::vector<std::string> events;
  std::shared_ptr<FakeDevice> webcam, micro, mjpeg;
};

}  // namespace wellvue::test
