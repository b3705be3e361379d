// The camera choice end to end: the engine fills a record, the operator chooses in the dialog,
// the engine takes the record back and the chosen camera shows its picture.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <atomic>

#include "capture/video_capture.h"
#include "graph_config_fixture.h"
#include "util/scripted_prompter.h"

namespace wellvue::testing {
namespace {

class CountingSurface : public VideoSurface {
 public:
  void present(const VideoFrame& frame) override {
    if (frame.width > 0 && frame.height > 0 && frame.data != nullptr) ++frames;
  }
  std::atomic<int> frames{0};
};

class EngineRoundTrip : public GraphConfigDialogTest {
 protected:
  void TearDown() override {
    if (engine) {
      engine->StopPreview();
      engine.reset();
    }
    GraphConfigDialogTest::TearDown();
  }
  ScriptedPrompter prompter;
  CountingSurface surface;
  std::unique_ptr<TVideoCapture> engine;
};

TEST_F(EngineRoundTrip, ChosenCameraAndCompressorReachTheEngine) {
  const std::string vcomp = some_video_compressor();
  if (vcomp.empty()) GTEST_SKIP() << "no video encoder on this machine";
  engine = std::make_unique<TVideoCapture>(backend, scheduler, prompter);
  engine->SetVideoSurface(&surface);
  engine->Resize(320, 240);
  engine->SetWantAudio(false);
  engine->FillConfig(&config);
  EXPECT_EQ(config.VideoSourceName, "");  // nothing applied yet
  memory = {-1, -1, {}};

  const DialogRun r = run(
      [&](TFGraphConfig& f) {
        EXPECT_EQ(f.cbVSources->currentIndex(), -1);
        pick(f.cbVSources, QString::fromLatin1(gst::kTestPatternName));
        if (!is_checked(f.cbVComp)) QTest::mouseClick(f.cbVComp, Qt::LeftButton);
        pick(f.cbVComps, QString::fromStdString(vcomp));
      },
      CloseBy::Ok, "puits 3");
  ASSERT_TRUE(r.result);
  EXPECT_EQ(memory.video_source_index, index_of(names.video_sources, gst::kTestPatternName));
  EXPECT_EQ(memory.video_compressor_name, vcomp);

  engine->ApplyConfig(&config);
  EXPECT_TRUE(engine->Previewing()) << ::testing::PrintToString(prompter.texts());
  EXPECT_TRUE(QTest::qWaitFor([&] { return surface.frames.load() > 0; }, 30000)) << "no picture from the camera";

  TGraphConfig back;
  engine->FillConfig(&back);
  EXPECT_EQ(back.VideoSourceName, gst::kTestPatternName);
  EXPECT_EQ(back.VideoCompressorName, vcomp);
  EXPECT_EQ(back.CaptureFileName, "puits 3");
}

TEST_F(EngineRoundTrip, CancelKeepsTheEnginesSettings) {
  engine = std::make_unique<TVideoCapture>(backend, scheduler, prompter);
  engine->SetVideoSurface(&surface);
  engine->SetWantAudio(false);
  config.VideoSourceName = gst::kTestPatternName;
  config.WantPreview = true;
  engine->ApplyConfig(&config);
  engine->FillConfig(&config);
  const TGraphConfig before = config;

  const DialogRun r = run([&](TFGraphConfig& f) { f.cbVSources->setCurrentIndex(-1); }, CloseBy::Cancel);
  ASSERT_FALSE(r.result);
  expect_same_record(config, before);
  TGraphConfig now;
  engine->FillConfig(&now);
  EXPECT_EQ(now.VideoSourceName, gst::kTestPatternName);
}

}  // namespace
}  // namespace wellvue::testing
