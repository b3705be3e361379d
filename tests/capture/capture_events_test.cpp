#include <fstream>
#include <thread>

#include "engine_fixture.h"

namespace wellvue::test {
namespace {
namespace fs = std::filesystem;

// A graph event while capturing or previewing: the engine's events in order and where it ends.
struct EventRow {
  const char* title;
  long code;
  bool capturing;
  bool device_gone;  // the device does not come back: the preview cannot run again
  std::vector<std::string> events;
  std::vector<std::string> reports;
  bool previewing_after;
};

class GraphEvents : public EngineTest, public ::testing::WithParamInterface<EventRow> {};

TEST_P(GraphEvents, Sequence) {
  const EventRow& r = GetParam();
  apply();
  if (r.capturing) {
    ASSERT_TRUE(cap->StartCapture(false));
  }
  events.clear();
  if (r.device_gone) backend.fail["run"] = E_FAIL;
  backend.push_event(r.code, E_FAIL);
  EXPECT_TRUE(events.empty());  // handled on the owner thread only
  scheduler.run_posted();
  EXPECT_EQ(events, r.events);
  EXPECT_EQ(reports(), r.reports);
  EXPECT_FALSE(cap->Capturing());
  EXPECT_EQ(cap->Previewing(), r.previewing_after);
  if (r.capturing) {
    EXPECT_TRUE(fs::exists(path("final.avi")));  // the recording was saved
  }
}

const char* kRunFail = "Error 80004005: Cannot run preview graph!";

const EventRow kEventRows[] = {
    {"abort_capturing",
     EC_ERRORABORT,
     true,
     false,
     {"CaptureProgress", "StopCapture", "StartPreview", "Aborted"},
     {},
     true},
    {"abort_previewing", EC_ERRORABORT, false, false, {"Aborted"}, {}, true},
    {"lost_capturing_comes_back",
     EC_DEVICE_LOST,
     true,
     false,
     {"DeviceLost", "CaptureProgress", "StopCapture", "StartPreview", "StopPreview", "StartPreview"},
     {},
     true},
    {"lost_capturing_gone",
     EC_DEVICE_LOST,
     true,
     true,
     {"DeviceLost", "CaptureProgress", "StopCapture"},
     {kRunFail, kRunFail},
     false},
    {"lost_previewing", EC_DEVICE_LOST, false, false, {"DeviceLost", "StopPreview", "StartPreview"}, {}, true},
    {"lost_previewing_gone", EC_DEVICE_LOST, false, true, {"DeviceLost", "StopPreview"}, {kRunFail}, false},
    {"other_code", 0x0E, false, false, {}, {}, true},
};

INSTANTIATE_TEST_SUITE_P(Rows, GraphEvents, ::testing::ValuesIn(kEventRows),
                         [](const auto& info) { return std::string(info.param.title); });

TEST_F(EngineTest, AbortCodeIsKeptForTheHost) {
  apply();
  backend.push_event(EC_ERRORABORT, static_cast<std::int64_t>(VFW_E_NOT_FOUND));
  scheduler.run_posted();
  EXPECT_EQ(cap->LastAbortCode(), VFW_E_NOT_FOUND);
}

TEST_F(EngineTest, FrameNotificationsArePostedFromTheStreamingThread) {
  apply();
  std::thread streaming([this] {
    for (int i = 0; i < 5; ++i) backend.emit_frame();
  });
  streaming.join();
  EXPECT_TRUE(events.empty());  // nothing fired on the streaming thread
  scheduler.run_posted();
  EXPECT_EQ(events, std::vector<std::string>(5, "FrameRendered"));
  // Posted before the stop, delivered after it.
  events.clear();
  backend.emit_frame();
  ASSERT_TRUE(cap->StopPreview());
  events.clear();
  scheduler.run_posted();
  EXPECT_EQ(events, std::vector<std::string>{"FrameRendered"});
  // Stopped: no more frames.
  events.clear();
  backend.emit_frame();
  EXPECT_EQ(scheduler.run_posted(), 0);
}

TEST_F(EngineTest, NoFrameTapWithoutBitmaps) {
  config.WantBitmaps = false;
  apply();
  backend.emit_frame();
  scheduler.run_posted();
  EXPECT_TRUE(events.empty());
}

TEST_F(EngineTest, WorkPostedForADestroyedEngineIsDropped) {
  apply();
  backend.emit_frame();
  backend.push_event(EC_ERRORABORT);
  cap.reset();
  EXPECT_GT(scheduler.posted.size(), 0u);
  const auto fired = events.size();
  scheduler.run_posted();  // must not touch the freed engine (ASan watches)
  EXPECT_EQ(events.size(), fired);
}

TEST_F(EngineTest, ApplyConfigEventsComeLastAndInOrder) {
  make();
  apply(false);
  EXPECT_EQ(events, (std::vector<std::string>{"StartPreview", "ChangeDevice", "ChangeCompressor"}));
}

TEST_F(EngineTest, ResizeFollowsIntoTheVideoWindow) {
  make();
  cap->Resize(640, 360);
  apply(false);
  EXPECT_EQ(backend.calls_starting("attach_video_window"), std::vector<std::string>{"attach_video_window 640x360"});
  cap->Resize(800, 600);
  EXPECT_EQ(backend.calls_starting("set_video_window_position"),
            std::vector<std::string>{"set_video_window_position 800x600"});
  // Without a view to show it in, the preview cannot be seen.
  cap->SetVideoSurface(nullptr);
  prompter.clear();
  cap->ApplyConfig(&config);
  EXPECT_EQ(reports(), std::vector<std::string>{"This graph cannot preview!"});
}

TEST_F(EngineTest, DestructionStopsEverythingAndEmptiesTheDeviceLists) {
  apply();
  ASSERT_TRUE(cap->StartCapture(false));
  cap.reset();
  EXPECT_TRUE(fs::exists(path("final.avi")));
  EXPECT_FALSE(fs::exists(path("captemp.avi")));
  EXPECT_TRUE(VideoDevices().empty());
  EXPECT_FALSE(backend.has_graph());
}

}  // namespace
}  // namespace wellvue::test
