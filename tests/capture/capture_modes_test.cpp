#include "engine_fixture.h"

namespace wellvue::test {
namespace {

TEST_F(EngineTest, VideoModesListAndCurrentIndex) {
  apply();
  ASSERT_EQ(cap->VideoModeCount(), 3);
  EXPECT_EQ(VideoModeText(cap->GetVideoMode(1)), "320x240x16b (YUY2)");
  EXPECT_DOUBLE_EQ(cap->GetVideoMode(0).FrameRate, 25);
  EXPECT_DOUBLE_EQ(cap->GetVideoMode(2).MinFrameRate, 5);
  EXPECT_EQ(cap->GetCurrentVideoMode().FrameRate, 0);  // a current format has no rates
  EXPECT_EQ(cap->CurrentVideoModeIndex(), 0);
  for (int bad : {-1, 3, 99}) EXPECT_EQ(cap->GetVideoMode(bad).Width, 0);
  webcam->current = yuy2(800, 600);
  EXPECT_EQ(cap->CurrentVideoModeIndex(), -1);
  backend.fail["get_number_of_capabilities Webcam"] = E_FAIL;
  EXPECT_EQ(cap->VideoModeCount(), 0);
}

TEST_F(EngineTest, SetVideoModeTakesTheGraphApart) {
  apply();
  struct Row {
    int index;
    bool result;
    int width;
  } rows[] = {{2, true, 1280}, {-1, false, 1280}, {3, false, 1280}, {1, true, 320}};
  for (const auto& r : rows) {
    ASSERT_TRUE(cap->StartPreview());
    events.clear();
    EXPECT_EQ(cap->SetVideoMode(r.index), r.result) << r.index;
    EXPECT_FALSE(cap->Built());
    EXPECT_EQ(cap->GetCurrentVideoMode().Width, r.width);
    const std::vector<std::string> want =
        r.result ? std::vector<std::string>{"StopPreview", "ChangeVCapMode"} : std::vector<std::string>{"StopPreview"};
    EXPECT_EQ(events, want);
  }
  backend.fail["set_format Webcam"] = E_FAIL;
  EXPECT_FALSE(cap->SetVideoMode(0));
  // No format change while recording.
  backend.fail.clear();
  ASSERT_TRUE(cap->StartCapture(false));
  EXPECT_FALSE(cap->SetVideoMode(0));
  EXPECT_TRUE(cap->Capturing());
}

TEST_F(EngineTest, SelectVideoModeByComparison) {
  apply();
  TVCapMode want = VideoModeFromMediaType(yuy2(320, 240, 666666), nullptr);
  want.FrameRate = 15;  // rates do not take part
  EXPECT_TRUE(cap->SelectVideoMode(want));
  EXPECT_EQ(cap->CurrentVideoModeIndex(), 1);
  events.clear();
  EXPECT_TRUE(cap->SelectVideoMode(want));  // already current: nothing done
  EXPECT_TRUE(events.empty());
  EXPECT_FALSE(cap->SelectVideoMode(VideoModeFromMediaType(yuy2(1, 1), nullptr)));
}

TEST_F(EngineTest, ApplyConfigSelectsTheConfiguredModes) {
  config.VCapMode = VideoModeFromMediaType(yuy2(1280, 720), nullptr);
  config.WantAudio = true;
  config.AudioSourceName = "Micro";
  config.ACapMode = AudioModeFromMediaType(pcm(22050, 16, 1));
  apply(false);
  EXPECT_EQ(cap->CurrentVideoModeIndex(), 2);
  EXPECT_EQ(AudioModeText(cap->GetCurrentAudioMode()), "22050Hzx16bx1");
  EXPECT_TRUE(cap->Previewing());
}

TEST_F(EngineTest, DVSourceModesAreTheDecoderSizes) {
  webcam->dv = true;
  webcam->current.major_type = guids::MEDIATYPE_Interleaved;
  config.DVResolution = dvrFull;
  apply();
  ASSERT_TRUE(cap->IsDVSource());
  EXPECT_EQ(cap->VideoModeCount(), 4);
  const char* texts[] = {"720x576x24b", "360x288x24b", "180x144x24b", "88x72x24b"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(VideoModeText(cap->GetVideoMode(i)), texts[i]);
  EXPECT_EQ(cap->GetVideoMode(4).Width, 0);
  EXPECT_EQ(cap->CurrentVideoModeIndex(), 0);
  events.clear();
  EXPECT_FALSE(cap->SetVideoMode(2));  // only the resolution changes, no event
  EXPECT_EQ(cap->DVResolution(), dvrQuater);
  EXPECT_EQ(events, std::vector<std::string>{"StopPreview"});
  ASSERT_TRUE(cap->StartPreview());
  EXPECT_EQ(VideoModeText(cap->GetCurrentVideoMode()), "180x144x24b");
}

TEST_F(EngineTest, DVResolutionWriteIsIgnoredWhileCapturing) {
  webcam->dv = true;
  webcam->current.major_type = guids::MEDIATYPE_Interleaved;
  apply();
  ASSERT_TRUE(cap->StartCapture(false));
  cap->SetDVResolution(dvrDC);
  EXPECT_EQ(cap->DVResolution(), dvrFull);
  ASSERT_TRUE(cap->StopCapture());
  cap->SetDVResolution(dvrDC);  // takes the graph apart and sets the decoder at once
  EXPECT_EQ(backend.dv_display, 1003);
  EXPECT_FALSE(cap->Built());
}

TEST_F(EngineTest, SetAudioModeStopsAndRestartsThePreview) {
  config.WantAudio = true;
  config.AudioSourceName = "Micro";
  apply();
  ASSERT_EQ(cap->AudioModeCount(), 2);
  EXPECT_EQ(AudioModeText(cap->GetAudioMode(1)), "22050Hzx16bx1");
  struct Row {
    int index;
    bool result;
    std::vector<std::string> events;
  } rows[] = {
      {1, true, {"StopPreview", "StartPreview", "ChangeACapMode"}},
      {5, false, {}},  // out of range: the preview is not touched
  };
  for (const auto& r : rows) {
    events.clear();
    EXPECT_EQ(cap->SetAudioMode(r.index), r.result);
    EXPECT_EQ(events, r.events);
    EXPECT_TRUE(cap->Previewing());
  }
  EXPECT_TRUE(cap->SelectAudioMode(AudioModeFromMediaType(pcm(22050, 16, 1))));
  EXPECT_FALSE(cap->SelectAudioMode(AudioModeFromMediaType(pcm(8000, 8, 1))));
}

TEST_F(EngineTest, FillConfigReadsBackWhatWasApplied) {
  config.VideoCompressorName = "MJPEG";
  config.VideoCompressorState = "quality=85";
  config.PreallocFileSize = 12;
  config.DVResolution = dvrHalf;
  config.BitmapPixelFormat = pf32bit;
  apply();
  EXPECT_EQ(backend.compressor_state, "quality=85");
  TGraphConfig back;
  back.VideoSourceName = "stale";
  cap->FillConfig(&back);
  EXPECT_EQ(back.VideoSourceName, "Webcam");
  EXPECT_EQ(back.VideoCompressorName, "MJPEG");
  EXPECT_EQ(back.AudioSourceName, "");
  EXPECT_EQ(back.VideoCompressorState, "quality=85");
  EXPECT_EQ(back.CaptureFileName, config.CaptureFileName);
  EXPECT_EQ(back.TempCaptureFileName, "captemp.avi");
  EXPECT_EQ(back.PreallocFileSize, 12u);
  EXPECT_EQ(back.DVResolution, dvrHalf);
  EXPECT_EQ(back.BitmapPixelFormat, pf32bit);
  EXPECT_TRUE(back.UseTempFile);
  EXPECT_TRUE(back.WantCapture);
  EXPECT_EQ(VideoModeText(back.VCapMode), "640x480x16b (YUY2)");
  // A role without a device enumerates its category again and stays empty.
  EXPECT_EQ(backend.calls_starting("enumerate").size(), 2u);
  cap->FillConfig(nullptr);
  cap->ApplyConfig(nullptr);
}

TEST_F(EngineTest, ConfigEmptyNamesKeepTheEnginesNames) {
  make();
  cap->SetCaptureFileName(path("kept.avi"));
  cap->SetTempCaptureFileName("tmp.avi");
  config.CaptureFileName = "";
  config.TempCaptureFileName = "";
  apply(false);
  EXPECT_EQ(cap->CaptureFileName(), path("kept.avi"));
  EXPECT_EQ(backend.output_path(), path("tmp.avi"));
}

TEST_F(EngineTest, InitCaptureNeedsAGraphAndAVideoDevice) {
  struct Row {
    std::string fail;
    bool devices;
    bool result;
  } rows[] = {{"", true, true}, {"create_graph", true, false}, {"create_builder", true, false}, {"", false, false}};
  for (const auto& r : rows) {
    FakeGraphBackend b;
    if (r.devices) b.add_device(DeviceCategory::VideoInput, "Webcam");
    if (!r.fail.empty()) b.fail[r.fail] = E_FAIL;
    TVideoCapture engine(b, scheduler, prompter);
    EXPECT_EQ(engine.InitCapture(), r.result) << r.fail;
  }
  EXPECT_TRUE(prompter.shown().empty());
}

}  // namespace
}  // namespace wellvue::test
