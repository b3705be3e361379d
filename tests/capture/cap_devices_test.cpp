#include <gtest/gtest.h>

#include "capture/cap_devices.h"
#include "fake_graph_backend.h"

namespace wellvue {
namespace {

using test::FakeGraphBackend;

class DeviceLists : public ::testing::Test {
 protected:
  void SetUp() override { ClearAllDevices(); }
  void TearDown() override { ClearAllDevices(); }
  FakeGraphBackend backend;
};

TEST_F(DeviceLists, DuplicateNamesAreNumberedAndBlankNamesLeftOut) {
  for (const char* n : {"USB Camera", "USB Camera", "   ", "USB Camera ", "USB Camera", "\t", "Mire de test"})
    backend.add_device(DeviceCategory::VideoInput, n);
  const auto names = GetVideoDeviceNames(backend, false);
  const std::vector<std::string> want = {"USB Camera", "USB Camera (2)", "USB Camera ", "USB Camera (3)",
                                         "Mire de test"};
  EXPECT_EQ(names, want);
  // The trailing blank stays in the friendly name too.
  EXPECT_EQ(VideoDevices()[2]->FriendlyName, "USB Camera ");
  EXPECT_EQ(VideoDevices()[3]->FriendlyName, "USB Camera");
}

TEST_F(DeviceLists, CachedListIsKeptUntilRefresh) {
  backend.add_device(DeviceCategory::AudioInput, "Micro");
  EXPECT_EQ(GetAudioDeviceNames(backend, false).size(), 1u);
  backend.add_device(DeviceCategory::AudioInput, "Micro");
  EXPECT_EQ(GetAudioDeviceNames(backend, false).size(), 1u);
  EXPECT_EQ(GetAudioDeviceNames(backend, true), (std::vector<std::string>{"Micro", "Micro (2)"}));
}

TEST_F(DeviceLists, LookupsByNameAndByIdentity) {
  auto a = backend.add_device(DeviceCategory::VideoCompressor, "DV Video Encoder");
  auto b = backend.add_device(DeviceCategory::VideoCompressor, "MJPEG");
  EnumerateAllDevices(backend);
  EXPECT_EQ(FindMonikerByName(VideoCompressors(), "MJPEG"), b);
  EXPECT_EQ(FindMonikerByName(VideoCompressors(), "mjpeg"), nullptr);  // case counts
  EXPECT_EQ(FindMonikerByName(VideoCompressors(), ""), nullptr);
  EXPECT_EQ(FindNameByMoniker(VideoCompressors(), a), "DV Video Encoder");
  // Same content, other object: not the same device.
  auto twin = std::make_shared<test::FakeDevice>(*a);
  EXPECT_EQ(FindNameByMoniker(VideoCompressors(), twin), "");
  EXPECT_EQ(FindNameByMoniker(VideoCompressors(), nullptr), "");
  ClearAllDevices();
  EXPECT_TRUE(VideoCompressors().empty());
}

}  // namespace
}  // namespace wellvue
