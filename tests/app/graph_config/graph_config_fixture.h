// The dialog over the station's real capture backend: GStreamer with the test-pattern camera
// "Mire de test" and the encoders the AVI writer takes. Lists this machine has no device for
// (microphones, audio encoders) are given as entries already in the engine's cached list.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/graph_config/edit_graph_config.h"
#include "app/main_window/qt_scheduler.h"
#include "capture/cap_devices.h"
#include "capture/gst/gst_graph_backend.h"
#include "capture/gst/test_pattern_device.h"
#include "dialog_driver.h"

namespace wellvue::testing {

class GraphConfigDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(gst::register_test_pattern_device()); }

  void SetUp() override {
    ClearAllDevices();
    names = dialog_device_names(backend);
    ASSERT_TRUE(contains(names.video_sources, gst::kTestPatternName));
  }
  void TearDown() override { ClearAllDevices(); }

  // The engine's cached list of that category holds exactly these names.
  static void cache(TCapDeviceList& list, const std::vector<std::string>& display_names) {
    list.clear();
    for (const auto& n : display_names) list.push_back(std::make_unique<TCapDeviceInfo>(n, n, nullptr));
  }

  static bool contains(const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  }

  static int index_of(const std::vector<std::string>& list, const std::string& name) {
    auto it = std::find(list.begin(), list.end(), name);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
  }

  // A video compressor of this machine, the DV one when there is one.
  std::string some_video_compressor() const {
    if (contains(names.video_compressors, "DV Video Encoder")) return "DV Video Encoder";
    return names.video_compressors.empty() ? std::string() : names.video_compressors.front();
  }

  DialogRun run(const OperatorActions& act, CloseBy close, const std::string& prefix = "CXapture") {
    return run_dialog(config, backend, memory, prefix, act, close);
  }

  QtScheduler scheduler;
  gst::GstGraphBackend backend{scheduler};
  CaptureDeviceNames names;
  TGraphConfig config;
  GraphConfigMemory memory;
};

// Every field of two records, compared one by one.
void expect_same_record(const TGraphConfig& a, const TGraphConfig& b);

}  // namespace wellvue::testing
