// Real recordings from the test-pattern camera through the engine and the GStreamer backend,
// read back through GStreamer.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>

#include "capture/avi/avi_info.h"
#include "gst_test_support.h"

namespace wellvue::gst::testing {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct RecordCase {
  const char* label;
  const char* compressor;
  int seconds;
};

void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.label; }

class RecordingTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecordingTest, FileHoldsTheWallClockTimeFromZeroAndThePreviewRunsOn) {
  ScratchDir dir;
  Station s;
  const std::string file = dir.file("rec.avi");
  TGraphConfig c = s.config(file);
  c.VideoCompressorName = GetParam().compressor;
  s.cap.ApplyConfig(&c);
  ASSERT_TRUE(s.cap.Previewing()) << ::testing::PrintToString(s.reports());
  ASSERT_TRUE(s.run_until([&] { return s.surface.frames() >= 10; }));
  EXPECT_FALSE(fs::exists(file)) << "the held branch wrote before the start";

  const auto t0 = Clock::now();
  ASSERT_TRUE(s.cap.StartCapture(false)) << ::testing::PrintToString(s.reports());
  const auto t1 = Clock::now();
  s.run_until([&] { return Clock::now() >= t1 + std::chrono::seconds(GetParam().seconds); },
              std::chrono::seconds(GetParam().seconds + 30));
  const auto t2 = Clock::now();
  const std::uint64_t preview_before_stop = s.surface.frames();
  ASSERT_TRUE(s.cap.StopCapture()) << ::testing::PrintToString(s.reports());
  const auto t3 = Clock::now();

  // The preview went on through the stop: same pipeline, still playing, new pictures.
  EXPECT_TRUE(s.cap.Previewing());
  EXPECT_EQ(GST_STATE(s.backend.pipeline()), GST_STATE_PLAYING);
  EXPECT_TRUE(s.run_until([&] { return s.surface.frames() >= preview_before_stop + 10; }));

  const Readback rb = read_back(file);
  ASSERT_TRUE(rb.ok) << rb.error;
  const double shortest = seconds(t2 - t1), longest = seconds(t3 - t0);
  EXPECT_GE(static_cast<double>(rb.frames), std::floor(shortest * 25) - 1);
  EXPECT_LE(static_cast<double>(rb.frames), std::ceil(longest * 25) + 1);
  EXPECT_EQ(rb.first_pts, 0u) << "the file does not start at time zero";

  const CaptureStats& st = s.cap.LastCaptureStats();
  EXPECT_TRUE(st.known);
  EXPECT_EQ(st.frames_written, rb.frames);
  EXPECT_NEAR(st.file_duration_s, static_cast<double>(rb.frames) / 25.0, 0.002);
  EXPECT_EQ(st.frames_dropped, 0u);
}

INSTANTIATE_TEST_SUITE_P(Compressors, RecordingTest,
                         ::testing::Values(RecordCase{"uncompressed", "", 3},
                                           RecordCase{"jpeg", "JPEG image encoder", 3},
                                           RecordCase{"dv", "DV Video Encoder", 2}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(Recording, TwoRecordingsInARowFromOnePreview) {
  ScratchDir dir;
  Station s;
  TGraphConfig c = s.config(dir.file("first.avi"));
  c.UseTempFile = true;
  c.TempCaptureFileName = dir.file("captemp.avi");
  s.cap.ApplyConfig(&c);
  ASSERT_TRUE(s.cap.Previewing());
  for (const char* name : {"first.avi", "second.avi"}) {
    s.cap.SetCaptureFileName(dir.file(name));
    ASSERT_TRUE(s.cap.StartCapture(false)) << ::testing::PrintToString(s.reports());
    s.run_for(std::chrono::milliseconds(1200));
    const std::uint64_t before = s.surface.frames();
    ASSERT_TRUE(s.cap.StopCapture()) << ::testing::PrintToString(s.reports());
    EXPECT_TRUE(s.run_until([&] { return s.surface.frames() > before + 5; }));
  }
  for (const char* name : {"first.avi", "second.avi"}) {
    const Readback rb = read_back(dir.file(name));
    ASSERT_TRUE(rb.ok) << name << ": " << rb.error;
    EXPECT_GE(rb.frames, 25u) << name;
    EXPECT_EQ(rb.first_pts, 0u) << name;
  }
  // Between recordings nothing is written: no temporary file is left open or behind.
  EXPECT_FALSE(fs::exists(dir.file("captemp.avi")));
  const std::vector<std::string> expected{"StartCapture", "StopCapture", "StartCapture", "StopCapture"};
  std::vector<std::string> capture_events;
  for (const auto& e : s.events)
    if (e == "StartCapture" || e == "StopCapture") capture_events.push_back(e);
  EXPECT_EQ(capture_events, expected);
}

TEST(Recording, DeclinedStartQuestionWritesNothing) {
  ScratchDir dir;
  Station s;
  const std::string file = dir.file("declined.avi");
  TGraphConfig c = s.config(file);
  s.cap.ApplyConfig(&c);
  s.prompter.add_answer(false);
  EXPECT_FALSE(s.cap.StartCapture(true));
  ASSERT_FALSE(s.prompter.shown().empty());
  EXPECT_EQ(s.prompter.shown().back().text, kStartCaptureQuestion);
  EXPECT_FALSE(s.cap.Capturing());
  EXPECT_TRUE(s.cap.Previewing());
  const std::uint64_t before = s.surface.frames();
  EXPECT_TRUE(s.run_until([&] { return s.surface.frames() > before + 5; }));
  EXPECT_FALSE(fs::exists(file));
}

TEST(Recording, TimeLimitEndsTheRecordingOnATick) {
  ScratchDir dir;
  Station s;
  const std::string file = dir.file("limited.avi");
  TGraphConfig c = s.config(file);
  c.VideoCompressorName = "JPEG image encoder";
  s.cap.ApplyConfig(&c);
  s.cap.SetUseTimeLimit(true);
  s.cap.SetTimeLimit(2);
  ASSERT_TRUE(s.cap.StartCapture(false));
  ASSERT_TRUE(s.run_until([&] { return !s.cap.Capturing(); }, std::chrono::seconds(30)));
  EXPECT_GE(s.cap.CaptureTime(), 2000u);
  EXPECT_GT(s.progress, 0);
  EXPECT_TRUE(s.cap.Previewing());
  const Readback rb = read_back(file);
  ASSERT_TRUE(rb.ok) << rb.error;
  EXPECT_GE(rb.frames, 49u);
  // The file lasts as long as the recording ran (its end is at most a tick and a stop later).
  EXPECT_LE(static_cast<double>(rb.frames) / 25.0, s.cap.CaptureTime() / 1000.0 + 1.0);
}

TEST(Recording, PreviewOnlyFollowsTheViewSizeAndWritesNoFile) {
  ScratchDir dir;
  Station s;
  const std::string file = dir.file("never.avi");
  TGraphConfig c = s.config(file);
  c.WantCapture = false;
  s.cap.Resize(160, 120);
  s.cap.ApplyConfig(&c);
  ASSERT_TRUE(s.run_until([&] { return s.surface.frames() >= 5; }));
  EXPECT_EQ(s.surface.last_width(), 160);
  EXPECT_EQ(s.surface.last_height(), 120);
  s.cap.Resize(320, 200);
  EXPECT_TRUE(s.run_until([&] { return s.surface.last_width() == 320 && s.surface.last_height() == 200; }));
  EXPECT_FALSE(s.cap.StartCapture(false));
  EXPECT_FALSE(fs::exists(file));
}

TEST(Recording, ChosenModeAndFrameRateReachTheFile) {
  ScratchDir dir;
  Station s;
  const std::string file = dir.file("small.avi");
  TGraphConfig c = s.config(file);
  c.VCapMode.SubType = guids::MEDIASUBTYPE_YUY2;
  c.VCapMode.Width = 320;
  c.VCapMode.Height = 240;
  c.VCapMode.BitCount = 16;
  s.cap.SetUseFrameRate(true);
  s.cap.SetFrameRate(15);
  s.cap.ApplyConfig(&c);
  EXPECT_EQ(VideoModeText(s.cap.GetCurrentVideoMode()), "320x240x16b (YUY2)");
  EXPECT_EQ(s.cap.CurrentVideoModeIndex(), 2);
  ASSERT_TRUE(s.cap.StartCapture(false)) << ::testing::PrintToString(s.reports());
  s.run_for(std::chrono::milliseconds(1500));
  ASSERT_TRUE(s.cap.StopCapture());
  const auto info = avi::read_avi_file(file);
  ASSERT_TRUE(info.info) << info.error;
  EXPECT_EQ(info.info->width, 320u);
  EXPECT_EQ(info.info->height, 240u);
  ASSERT_GE(info.info->video_stream, 0);
  const auto& v = info.info->streams[static_cast<size_t>(info.info->video_stream)];
  EXPECT_NEAR(static_cast<double>(v.rate) / v.scale, 15.0, 1e-6);
  EXPECT_TRUE(s.reports().empty()) << ::testing::PrintToString(s.reports());
}

TEST(Recording, FrameRateTheCameraLacksIsReportedAndTheDeviceRateKept) {
  ScratchDir dir;
  Station s;
  TGraphConfig c = s.config(dir.file("rate.avi"));
  s.cap.SetUseFrameRate(true);
  s.cap.SetFrameRate(30);
  s.cap.ApplyConfig(&c);
  const auto texts = s.reports();
  ASSERT_EQ(texts.size(), 2u) << ::testing::PrintToString(texts);
  EXPECT_NE(texts[0].find("can't set preview frame rate!"), std::string::npos) << texts[0];
  EXPECT_EQ(texts[1], "Cannot set frame rate for capture!");
  EXPECT_TRUE(s.cap.Previewing());
}

}  // namespace
}  // namespace wellvue::gst::testing
