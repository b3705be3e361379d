#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>

#include "engine_fixture.h"

namespace wellvue::test {
namespace {

const char* kNoVideo = "Can't create video capture filter - propably you havn't video capture device!";

// One failure of the source or build steps: what is made to fail, what is reported, and where
// the engine ends up.
struct BuildRow {
  const char* title;
  std::function<void(EngineTest&)> setup;
  std::vector<std::string> reports;
  bool graph_kept;  // the graph still exists after ApplyConfig
  bool previewing;  // the preview runs after ApplyConfig
};

class BuildFailures : public EngineTest, public ::testing::WithParamInterface<BuildRow> {};

TEST_P(BuildFailures, ReportAndOutcome) {
  const BuildRow& row = GetParam();
  row.setup(*this);
  if (!cap) make();
  cap->ApplyConfig(&config);
  EXPECT_EQ(reports(), row.reports);
  EXPECT_EQ(cap->HasFilterGraph(), row.graph_kept);
  EXPECT_EQ(cap->Previewing(), row.previewing);
  if (row.previewing) {
    EXPECT_TRUE(cap->Built());
  }
  // The configuration's events come whatever happened.
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2], "ChangeDevice");
  EXPECT_EQ(events.back(), "ChangeCompressor");
}

auto fail(const std::string& step, HResult hr = E_FAIL) {
  return [step, hr](EngineTest& t) { t.backend.fail[step] = hr; };
}

auto with_audio(std::function<void(EngineTest&)> more = nullptr) {
  return [more](EngineTest& t) {
    t.config.WantAudio = true;
    t.config.WantAudioPreview = true;
    t.config.AudioSourceName = "Micro";
    if (more) more(t);
  };
}

auto dv_camera(std::function<void(EngineTest&)> more = nullptr) {
  return [more](EngineTest& t) {
    t.webcam->dv = true;
    t.webcam->current.major_type = guids::MEDIATYPE_Interleaved;
    if (more) more(t);
  };
}

const BuildRow kRows[] = {
    {"builder",
     fail("create_builder"),
     {"Can't init graph builder. Probably GStreamer is not installed!"},
     false,
     false},
    {"no_device",
     [](EngineTest& t) { t.config.VideoSourceName = "Caméra absente"; },
     {std::string("Error 0.\r\n") + kNoVideo},
     false,
     false},
    {"bind_video", fail("bind Webcam", E_OUTOFMEMORY), {std::string("Error 8007000E.\r\n") + kNoVideo}, false, false},
    {"graph", fail("create_graph"), {"Can't init graph. Probably GStreamer is not installed!"}, false, false},
    {"set_graph", fail("set_filter_graph", S_FALSE), {"Can't set filter graph!"}, false, false},
    {"add_video",
     fail("add Webcam", VFW_E_CANNOT_CONNECT),
     {"Error 80040217: Can't add video capture filter into graph!"},
     false,
     false},
    {"no_stream_config",
     fail("stream_config Webcam Video"),
     {"Error 80004005: Can't find VCapture:IAMStreamConfig!"},
     true,
     true},
    {"dv_decoder", dv_camera(fail("create DVDecoder")), {"Can't add DV Decoder"}, false, false},
    {"dv_splitter",
     dv_camera([](EngineTest& t) {
       t.config.WantAudio = t.config.WantDVAudio = true;
       t.backend.fail["create DVSplitter"] = E_FAIL;
     }),
     {"Can't add DV Splitter"},
     false,
     false},
    {"bind_audio", with_audio(fail("bind Micro")), {"Can't create audio capture filter!"}, true, false},
    {"audio_name_unknown", with_audio([](EngineTest& t) { t.config.AudioSourceName = "Autre"; }), {}, true, false},
    {"add_audio",
     with_audio(fail("add Micro")),
     {"Error 80004005: Can't add audio capture filter into graph!"},
     false,
     false},
    {"audio_config",
     with_audio(fail("stream_config Micro Audio")),
     {"Can't find ACapture:IAMStreamConfig!"},
     true,
     true},
    {"no_file_name",
     [](EngineTest& t) {
       t.config.UseTempFile = false;
       t.make();
       t.cap->SetCaptureFileName("");
       t.config.CaptureFileName = "";
     },
     {"Capture filename required!"},
     true,
     false},
    {"prealloc_too_big",
     [](EngineTest& t) {
       t.config.DoPreallocFile = true;
       t.config.PreallocFileSize = 0xFFFFFFFFu;  // 4 PB: no disk holds it
     },
     {"Can't allocate space for capture file! Disk full?"},
     true,
     false},
    {"smart_tee_create", fail("create SmartTee"), {"Can't add SmartTee"}, true, false},
    {"smart_tee_add", fail("add MySmartTee"), {"Can't add SmartTee"}, true, false},
    {"smart_tee_render", fail("render Video Webcam > - > MySmartTee"), {"Can't add SmartTee"}, true, false},
    {"inf_tee", with_audio(fail("create InfTee")), {"Can't add InfiniteTee"}, true, false},
    {"inf_tee_render", with_audio(fail("render Audio Micro > - > MyInfTee")), {"Can't add InfiniteTee"}, true, false},
    {"audio_preview",
     with_audio(fail("render Audio MyInfTee > - > default")),
     {"Can't render audio preview stream!"},
     true,
     false},
    {"output_file", fail("set_output_file"), {"Can't set capture file!"}, true, false},
    {"master_stream", with_audio(fail("set_master_stream -1")), {"SetMasterStream failed!"}, true, true},
    {"video_capture_stream",
     fail("render Video MySmartTee > - > Mux"),
     {"Can't render video capture stream!"},
     true,
     false},
    {"audio_capture_stream",
     with_audio(fail("render Audio MyInfTee > - > Mux")),
     {"Can't render audio capture stream!"},
     true,
     false},
    {"dv_render",
     dv_camera(fail("render Interleaved Webcam > - > MyDVDecoder")),
     {"Can't render video capture stream!"},
     true,
     false},
    {"preview", fail("render Video MyBitmapGrabber > - > default"), {"Can't render preview stream!"}, true, false},
    {"grabber",
     fail("render Video MySmartTee > - > MyBitmapGrabber"),
     {"Can't install SampleGrabber. Probably wrong color depth used?"},
     true,
     true},
    {"video_window", fail("attach_video_window 100x100"), {"This graph cannot preview!"}, true, true},
    {"frame_rate_set",
     [](EngineTest& t) {
       t.make();
       t.cap->SetUseFrameRate(true);
       t.cap->SetFrameRate(25);
       t.backend.fail["set_format Webcam"] = E_FAIL;
     },
     {"80004005: can't set preview frame rate!", "Cannot set frame rate for capture!"},
     true,
     true},
    {"frame_rate_format",
     [](EngineTest& t) {
       t.webcam->current.format_type = guids::FORMAT_VideoInfo2;
       t.make();
       t.cap->SetUseFrameRate(true);
     },
     {"Cannot set frame rate for capture!"},
     true,
     true},
    {"run", fail("run", E_UNEXPECTED), {"Error 8000FFFF: Cannot run preview graph!"}, true, false},
};

INSTANTIATE_TEST_SUITE_P(Rows, BuildFailures, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.title); });

TEST_F(EngineTest, BuildOrderAndNamesOfAFullGraph) {
  config.WantAudio = config.WantAudioPreview = true;
  config.AudioSourceName = "Micro";
  config.VideoCompressorName = "MJPEG";
  config.AudioCompressorName = "MP3";
  apply(false);
  std::vector<std::string> graph_steps;
  for (const auto& c : backend.log)
    if (c.rfind("add ", 0) == 0 || c.rfind("render ", 0) == 0 || c.rfind("create ", 0) == 0 || c == "set_output_file" ||
        c.rfind("stream_config", 0) == 0 || c.rfind("bind", 0) == 0)
      graph_steps.push_back(c);
  const std::vector<std::string> want = {
      "bind Webcam",
      "add Webcam",
      "stream_config Webcam Interleaved",
      "stream_config Webcam Video",
      "bind MJPEG",
      "bind Micro",
      "add Micro",
      "bind MP3",
      "stream_config MP3 Audio",
      "create SmartTee",
      "add MySmartTee",
      "render Video Webcam > - > MySmartTee",
      "create InfTee",
      "add MyInfTee",
      "render Audio Micro > - > MyInfTee",
      "render Audio MyInfTee > - > default",
      "set_output_file",
      "add MyVideoCompressor",
      "render Video MySmartTee > MyVideoCompressor > Mux",
      "add MyAudioCompressor",
      "render Audio MyInfTee > MyAudioCompressor > Mux",
      "create SampleGrabber",
      "add MyBitmapGrabber",
      "render Video MySmartTee > - > MyBitmapGrabber",
      "render Video MyBitmapGrabber > - > default",
  };
  EXPECT_EQ(graph_steps, want);
  EXPECT_TRUE(reports().empty()) << reports().front();
  EXPECT_TRUE(cap->Previewing());
  EXPECT_EQ(backend.output_path(), path("captemp.avi"));
  // The audio formats offered are the compressor's (it has none), not the microphone's.
  EXPECT_EQ(cap->AudioModeCount(), 0);
}

TEST_F(EngineTest, PreviewOnlyStillGoesThroughTheSmartTee) {
  config.WantCapture = false;
  config.WantBitmaps = false;
  apply(false);
  EXPECT_TRUE(backend.in_graph("MySmartTee"));
  EXPECT_FALSE(backend.in_graph("Mux"));
  EXPECT_FALSE(backend.in_graph("MyBitmapGrabber"));
  EXPECT_EQ(backend.calls_starting("render Video MySmartTee > - > default").size(), 1u);
  EXPECT_TRUE(backend.calls_starting("hold").empty());  // nothing to hold without a file branch
}

TEST_F(EngineTest, FrameTapFormatFollowsPixelFormat) {
  struct Row {
    TPixelFormat format;
    std::string call;
  } rows[] = {
      {pfDevice, ""},
      {pf24bit, "grabber_set_media_type " + guid_text(guids::MEDIASUBTYPE_RGB24)},
      {pf15bit, "grabber_set_media_type " + guid_text(guids::MEDIASUBTYPE_RGB555)},
      {pfCustom, "grabber_set_media_type " + guid_text(guids::MEDIASUBTYPE_RGB24)},
  };
  make();
  for (const auto& r : rows) {
    config.BitmapPixelFormat = r.format;
    backend.log.clear();
    cap->ApplyConfig(&config);
    const auto calls = backend.calls_starting("grabber_set_media_type");
    if (r.call.empty()) EXPECT_TRUE(calls.empty());
    else EXPECT_EQ(calls, std::vector<std::string>{r.call});
    EXPECT_EQ(backend.calls_starting("grabber_set_callback").size(), 1u);
  }
}

TEST_F(EngineTest, FrameRateBecomesTheFormatsFrameTime) {
  struct Row {
    double rate;
    std::int64_t interval;
  } rows[] = {{25, 400000}, {30, 333333}, {50, 200000}, {0.5, 400000}, {12.5, 800000}};
  make();
  cap->SetUseFrameRate(true);
  for (const auto& r : rows) {
    cap->SetFrameRate(r.rate);
    cap->ApplyConfig(&config);
    ASSERT_FALSE(backend.configs[webcam]->set_formats.empty());
    EXPECT_EQ(backend.configs[webcam]->set_formats.back().avg_time_per_frame, r.interval) << r.rate;
  }
  EXPECT_TRUE(reports().empty());
}

TEST_F(EngineTest, FrameRateWritesOutsideOneToFiftyStoreTwentyFive) {
  make();
  EXPECT_EQ(cap->FrameRate(), 0);  // as constructed
  const double rows[][2] = {{0, 25},  {0.99, 25},         {1, 1},        {50, 50}, {50.01, 25},
                            {-3, 25}, {std::nan(""), 25}, {29.97, 29.97}};
  for (const auto& r : rows) {
    cap->SetFrameRate(r[0]);
    EXPECT_DOUBLE_EQ(cap->FrameRate(), r[1]) << r[0];
  }
}

TEST_F(EngineTest, UseFrameRateWithNoRateWrittenWarnsInsteadOfDividingByZero) {
  make();
  cap->SetUseFrameRate(true);  // FrameRate still 0
  apply(false);
  EXPECT_EQ(reports(), std::vector<std::string>{"Cannot set frame rate for capture!"});
  EXPECT_TRUE(cap->Previewing());
}

TEST_F(EngineTest, SecondBuildDoesNothingUntilDismantled) {
  apply();
  cap->SetCaptureFileName(path("other.avi"));
  EXPECT_TRUE(cap->BuildGraph());
  EXPECT_TRUE(backend.log.empty());
  cap->DismantleGraph();
  EXPECT_FALSE(cap->Built());
  EXPECT_FALSE(backend.in_graph("MySmartTee"));
  EXPECT_TRUE(backend.in_graph("Webcam"));  // sources survive a dismantling
  backend.log.clear();
  EXPECT_TRUE(cap->BuildGraph());
  EXPECT_EQ(backend.calls_starting("add MySmartTee").size(), 1u);
  EXPECT_EQ(backend.calls_starting("create SampleGrabber").size(), 1u);  // a new tap after a dismantling
}

TEST_F(EngineTest, FailedBuildLeavesPartialGraphUntilNextApply) {
  backend.fail["render Video MySmartTee > - > Mux"] = E_FAIL;
  apply(false);
  EXPECT_TRUE(backend.in_graph("MySmartTee"));  // not built, so nothing was taken apart
  backend.fail.clear();
  prompter.clear();
  cap->ApplyConfig(&config);
  EXPECT_TRUE(reports().empty());
  EXPECT_TRUE(cap->Previewing());
}

TEST_F(EngineTest, BuildDeletesAnOldOutputAndPreallocates) {
  std::ofstream(path("captemp.avi")) << "stale";
  config.DoPreallocFile = true;
  config.PreallocFileSize = 2;
  apply(false);
  EXPECT_TRUE(reports().empty());
  EXPECT_EQ(std::filesystem::file_size(path("captemp.avi")), 2u * 1048576u);
}

TEST_F(EngineTest, DVCamcorderGetsSplitterOnlyWithDVAudio) {
  webcam->dv = true;
  webcam->current.major_type = guids::MEDIATYPE_Interleaved;
  config.DVResolution = dvrHalf;
  struct Row {
    bool audio, dv_audio;
    std::string render;  // empty: the build refuses, having no audio source
    bool splitter;
  } rows[] = {
      {true, true, "render Interleaved Webcam > MyDVSplitter > MyDVDecoder", true},
      {false, true, "render Interleaved Webcam > - > MyDVDecoder", false},
      {false, false, "render Interleaved Webcam > - > MyDVDecoder", false},
      {true, false, "", false},
  };
  make();
  for (const auto& r : rows) {
    config.WantAudio = r.audio;
    config.WantDVAudio = r.dv_audio;
    backend.dv_display = 1000;
    backend.log.clear();
    prompter.clear();
    cap->ApplyConfig(&config);
    const auto renders = backend.calls_starting("render Interleaved");
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(backend.in_graph("MyDVSplitter"), r.splitter);
    if (r.render.empty()) {
      EXPECT_TRUE(renders.empty());
      EXPECT_FALSE(cap->Built());
      continue;
    }
    EXPECT_EQ(renders, std::vector<std::string>{r.render});
    EXPECT_EQ(backend.calls_starting("render Audio MyDVSplitter > - > Mux").size(), r.splitter ? 1u : 0u);
    EXPECT_TRUE(cap->Previewing());
    EXPECT_EQ(backend.dv_display, 1001);
  }
}

}  // namespace
}  // namespace wellvue::test
