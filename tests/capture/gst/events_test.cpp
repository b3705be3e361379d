// Frame notifications and graph events of the real pipeline, as the engine sees them.
#include <gtest/gtest.h>

#include <algorithm>

#include "capture/gst/test_pattern_device.h"
#include "gst_test_support.h"

namespace wellvue::gst::testing {
namespace {

// The events fired after the first occurrence of `from`, in order.
std::vector<std::string> after(const std::vector<std::string>& events, const std::string& from) {
  auto it = std::find(events.begin(), events.end(), from);
  return it == events.end() ? std::vector<std::string>{} : std::vector<std::string>(it + 1, events.end());
}

bool contains_text(const std::vector<std::string>& texts, const std::string& part) {
  return std::any_of(texts.begin(), texts.end(), [&](const auto& t) { return t.find(part) != std::string::npos; });
}

TEST(FrameTap, NotificationsArriveOnTheOwnerThreadAndEndWithThePipeline) {
  Station s;
  TGraphConfig c = s.config("");
  c.WantCapture = false;
  s.cap.ApplyConfig(&c);
  ASSERT_TRUE(s.run_until([&] { return s.frames_rendered >= 10; }));
  EXPECT_FALSE(s.frame_off_owner_thread);
  ASSERT_TRUE(s.cap.StopPreview());
  s.run_for(std::chrono::milliseconds(300));
  const int settled = s.frames_rendered;
  s.run_for(std::chrono::milliseconds(800));
  EXPECT_EQ(s.frames_rendered, settled);
  EXPECT_NE(GST_STATE(s.backend.pipeline()), GST_STATE_PLAYING);
}

struct TapCase {
  const char* label;
  bool want_bitmaps;
  TPixelFormat format;
  bool notifies;
  bool warns;
};

void PrintTo(const TapCase& c, std::ostream* os) { *os << c.label; }

class FrameTapFormat : public ::testing::TestWithParam<TapCase> {};

TEST_P(FrameTapFormat, PreviewShowsWhateverTheTapCanDo) {
  Station s;
  TGraphConfig c = s.config("");
  c.WantCapture = false;
  c.WantBitmaps = GetParam().want_bitmaps;
  c.BitmapPixelFormat = GetParam().format;
  s.cap.ApplyConfig(&c);
  ASSERT_TRUE(s.run_until([&] { return s.surface.frames() >= 10; })) << ::testing::PrintToString(s.reports());
  s.run_for(std::chrono::milliseconds(200));
  EXPECT_EQ(s.frames_rendered > 0, GetParam().notifies);
  EXPECT_EQ(contains_text(s.reports(), "Can't install SampleGrabber. Probably wrong color depth used?"),
            GetParam().warns)
      << ::testing::PrintToString(s.reports());
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FrameTapFormat,
    ::testing::Values(TapCase{"no_tap", false, pf24bit, false, false}, TapCase{"rgb24", true, pf24bit, true, false},
                      TapCase{"rgb32", true, pf32bit, true, false}, TapCase{"rgb565", true, pf16bit, true, false},
                      TapCase{"device", true, pfDevice, true, false}, TapCase{"one_bit", true, pf1bit, false, true},
                      TapCase{"four_bit", true, pf4bit, false, true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(GraphEvents, InjectedBusErrorAbortsTheRecordingAndKeepsTheFile) {
  ScratchDir dir;
  Station s;
  const std::string file = dir.file("aborted.avi");
  TGraphConfig c = s.config(file);
  c.VideoCompressorName = "JPEG image encoder";
  s.cap.ApplyConfig(&c);
  ASSERT_TRUE(s.cap.StartCapture(false));
  s.run_for(std::chrono::milliseconds(800));
  GError* err = g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED, "injected");
  gst_element_post_message(s.backend.pipeline(),
                           gst_message_new_error(GST_OBJECT(s.backend.pipeline()), err, "injected by the test"));
  g_error_free(err);
  ASSERT_TRUE(s.run_until([&] { return !s.cap.Capturing(); }));
  s.run_for(std::chrono::milliseconds(100));
  const std::vector<std::string> expected{"StopCapture", "StartPreview", "Aborted"};
  EXPECT_EQ(after(s.events, "StartCapture"), expected);
  EXPECT_EQ(s.cap.LastAbortCode(), E_FAIL);
  EXPECT_TRUE(s.cap.Previewing());
  const Readback rb = read_back(file);
  ASSERT_TRUE(rb.ok) << rb.error;
  EXPECT_GT(rb.frames, 0u);
}

TEST(GraphEvents, VanishedCameraGivesTheDeviceLostSequence) {
  ScratchDir dir;
  Station s;
  const std::string file = dir.file("lost.avi");
  TGraphConfig c = s.config(file);
  c.VideoCompressorName = "JPEG image encoder";
  s.cap.ApplyConfig(&c);
  ASSERT_TRUE(s.cap.StartCapture(false));
  s.run_for(std::chrono::milliseconds(800));
  unplug_test_pattern_device();
  ASSERT_TRUE(s.run_until([&] { return !s.cap.Capturing(); }));
  s.run_for(std::chrono::milliseconds(300));
  const auto seq = after(s.events, "StartCapture");
  ASSERT_GE(seq.size(), 2u) << ::testing::PrintToString(s.events);
  EXPECT_EQ(seq[0], "DeviceLost");
  EXPECT_EQ(seq[1], "StopCapture");
  EXPECT_EQ(std::count(s.events.begin(), s.events.end(), "DeviceLost"), 1);
  EXPECT_TRUE(contains_text(s.reports(), "Cannot run preview graph!")) << ::testing::PrintToString(s.reports());
  EXPECT_FALSE(s.cap.Previewing());
  const Readback rb = read_back(file);
  ASSERT_TRUE(rb.ok) << rb.error;
  EXPECT_GT(rb.frames, 0u);
}

TEST(GraphEvents, CameraThatStopsDeliveringIsTakenAsLost) {
  ScratchDir dir;
  GstGraphBackend::Options options;
  options.stall_limit = std::chrono::milliseconds(1000);
  Station s(options);
  const std::string file = dir.file("stalled.avi");
  TGraphConfig c = s.config(file);
  s.cap.ApplyConfig(&c);
  ASSERT_TRUE(s.cap.StartCapture(false));
  s.run_for(std::chrono::milliseconds(500));
  freeze_test_pattern_sources(true);
  ASSERT_TRUE(s.run_until([&] { return !s.cap.Capturing(); }));
  const auto seq = after(s.events, "StartCapture");
  ASSERT_FALSE(seq.empty());
  EXPECT_EQ(seq[0], "DeviceLost");
  const Readback rb = read_back(file);
  ASSERT_TRUE(rb.ok) << rb.error;
  EXPECT_GT(rb.frames, 0u);
}

}  // namespace
}  // namespace wellvue::gst::testing
