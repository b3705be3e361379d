// Enumeration through the backend: the test-pattern camera with its modes, the tried compressors,
// and device handles that keep their identity.
#include <gtest/gtest.h>

#include <algorithm>

#include "capture/cap_devices.h"
#include "capture/gst/test_pattern_device.h"
#include "gst_test_support.h"

namespace wellvue::gst::testing {
namespace {

bool has(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(Devices, TestPatternCameraIsListedWithItsModes) {
  Station s;
  ASSERT_TRUE(has(GetVideoDeviceNames(s.backend, true), kTestPatternName));
  TGraphConfig c = s.config("");
  c.WantCapture = c.WantPreview = false;
  s.cap.ApplyConfig(&c);
  std::vector<std::string> modes;
  for (int i = 0; i < s.cap.VideoModeCount(); ++i) modes.push_back(VideoModeText(s.cap.GetVideoMode(i)));
  const std::vector<std::string> expected{"640x480x16b (YUY2)", "640x480x12b", "320x240x16b (YUY2)"};
  EXPECT_EQ(modes, expected);
  const TVCapMode first = s.cap.GetVideoMode(0);
  EXPECT_DOUBLE_EQ(first.FrameRate, 25.0);
  EXPECT_DOUBLE_EQ(first.MinFrameRate, 10.0);
  EXPECT_DOUBLE_EQ(first.MaxFrameRate, 25.0);
  EXPECT_EQ(s.cap.CurrentVideoModeIndex(), 0);  // the camera's preferred format until one is chosen
}

TEST(Devices, CompressorsAreTheEncodersTheMuxerTakes) {
  Station s;
  const auto video = GetVideoCompressorNames(s.backend, true);
  EXPECT_TRUE(has(video, "DV Video Encoder"));
  EXPECT_TRUE(has(video, "JPEG image encoder"));
  EXPECT_FALSE(has(video, "libav MPEG-2 video encoder")) << "fails in avimux, must not be offered";
  const auto audio = GetAudioCompressorNames(s.backend, true);
  EXPECT_FALSE(audio.empty());
}

TEST(Devices, H264IsOfferedUnderItsOwnNameOnceX264IsInstalled) {
  Station s;
  GstElementFactory* x264 = gst_element_factory_find("x264enc");
  if (!x264) GTEST_SKIP() << "x264enc not installed (gstreamer1.0-plugins-ugly)";
  gst_object_unref(x264);
  const auto video = GetVideoCompressorNames(s.backend, true);
  EXPECT_TRUE(has(video, "H.264 (x264)"));
  EXPECT_FALSE(has(video, "x264 H.264 Encoder"));
  EXPECT_TRUE(has(video, "DV Video Encoder"));
}

TEST(Devices, AFoundDeviceKeepsItsHandleAcrossEnumerations) {
  Station s;
  const auto first = s.backend.enumerate_devices(DeviceCategory::VideoInput);
  const auto again = s.backend.enumerate_devices(DeviceCategory::VideoInput);
  auto pick = [](const std::vector<DeviceEntry>& list) {
    for (const auto& e : list)
      if (e.friendly_name == kTestPatternName) return e.device;
    return DeviceRef{};
  };
  ASSERT_TRUE(pick(first));
  EXPECT_EQ(pick(first), pick(again));
  const auto c1 = s.backend.enumerate_devices(DeviceCategory::VideoCompressor);
  const auto c2 = s.backend.enumerate_devices(DeviceCategory::VideoCompressor);
  ASSERT_FALSE(c1.empty());
  EXPECT_EQ(c1.front().device, c2.front().device);
}

TEST(Devices, FillConfigNamesTheAppliedDevices) {
  Station s;
  TGraphConfig c = s.config("x.avi");
  c.VideoCompressorName = "JPEG image encoder";
  s.cap.ApplyConfig(&c);
  GetVideoDeviceNames(s.backend, true);  // a refreshed list still knows the devices in use
  TGraphConfig back;
  s.cap.FillConfig(&back);
  EXPECT_EQ(back.VideoSourceName, kTestPatternName);
  EXPECT_EQ(back.VideoCompressorName, "JPEG image encoder");
}

}  // namespace
}  // namespace wellvue::gst::testing
