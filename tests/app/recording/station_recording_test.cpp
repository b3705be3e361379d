// The recording workflow on the station's two real windows: the main window over GStreamer with
// the test-pattern camera, the link window opening the simulated board's pseudo-terminal in the
// background, offscreen.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <filesystem>
#include <thread>

#include "../support/wait_until.h"
#include "app/main_window/main_form.h"
#include "app/main_window/station_backend.h"
#include "app/recording/station_recording.h"
#include "app/services/text_bridge.h"
#include "capture/gst/test_pattern_device.h"
#include "recording/recording_texts.h"
#include "recording/unfinished_recordings.h"
#include "recording_rig.h"
#include "sim_board.h"
#include "util/cp1252.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;

using testing::wait_until;

struct Windows {
  Windows() {
    board_thread = std::thread([this] {
      SimOptions o;
      o.period_ms = 100;
      o.boot_ms = 300;
      board.run(o, stop_board);
    });
    MainFormOptions mo;
    mo.screen_height = 1080;
    mo.quit_application = [](int) {};
    mo.end_process = [](int) {};
    main = std::make_unique<TFormMain>(station_backend(true), prompter, mo);
    main->show();
    LinkWindowOptions lo;
    lo.executable_path = QDir(dir.path()).filePath("wellvue");
    lo.system_ports = [this] { return std::vector<std::string>{board.slave_path()}; };
    lo.end_process = [](int) {};
    link = std::make_unique<TForm1>(main.get(), prompter, lo);
    main->set_video_folder(utf8_to_cp1252(QDir(dir.path()).filePath("videos").toStdString()));
    fs::create_directories(cp1252_to_utf8(main->video_folder()));
    main->Edit_nom_prefixe->setText("P12");
    main->CheckBox1->setChecked(false);
    // The camera as "Choix caméra" leaves it chosen.
    TGraphConfig* c = main->config();
    main->engine().FillConfig(c);
    c->VideoSourceName = gst::kTestPatternName;
    main->engine().ApplyConfig(c);
    recording = std::make_unique<StationRecording>(*main, *link, prompter);
    main->engine().OnCaptureProgress = [this](TVideoCapture&) { recording->capCaptureProgress(); };
  }
  ~Windows() {
    main->engine().OnCaptureProgress = nullptr;
    recording.reset();
    link.reset();
    main.reset();
    stop_board = true;
    board.unplug();
    board_thread.join();
  }
  std::string avi() const { return cp1252_to_utf8(main->video_folder()) + "/P12.avi"; }

  QTemporaryDir dir;
  SimBoard board;
  std::atomic<bool> stop_board{false};
  std::thread board_thread;
  ScriptedPrompter prompter;
  std::unique_ptr<TFormMain> main;
  std::unique_ptr<TForm1> link;
  std::unique_ptr<StationRecording> recording;
};

TEST(StationRecording, StartAndStopThroughTheWindows) {
  Windows w;
  ASSERT_TRUE(wait_until([&] { return w.link->link().polling(); }));
  w.prompter.add_answer(true);  // zero
  w.prompter.add_answer(true);  // start
  ASSERT_TRUE(w.recording->btStartClick());
  // The reopen of the port was waited for: polling again, the track switched on and shown.
  EXPECT_TRUE(w.link->link().polling());
  EXPECT_TRUE(w.link->design().RadioGroup1_acquisition->isChecked());
  EXPECT_EQ(w.link->link().fields().RadioGroup1, 0);
  ASSERT_TRUE(wait_until([&] { return test::entries_in(w.link->link().track()) >= 4; }));
  ASSERT_TRUE(wait_until([&] { return w.main->Label5->text().contains(QStringLiteral("mn")); }));

  w.recording->btStopClick();
  EXPECT_TRUE(w.link->design().RadioGroup1_stop->isChecked());
  EXPECT_EQ(w.main->Label5->text(), to_qt(kStoppedText));
  EXPECT_TRUE(test::play_avi(w.avi()).ok);
  const auto subs = test::parse_srt(cp1252_to_utf8(w.main->video_folder()) + "/P12.srt");
  ASSERT_GE(subs.size(), 4u);
  // The last depth shown closes the track.
  EXPECT_NE(subs[subs.size() - 2].text.find("m"), std::string::npos);
}

TEST(StationRecording, TheClosingDepthIsTheModelsNotTheLabelsNotice) {
  Windows w;
  ASSERT_TRUE(wait_until([&] { return w.link->link().polling(); }));
  w.prompter.add_answer(true);  // zero
  w.prompter.add_answer(true);  // start
  ASSERT_TRUE(w.recording->btStartClick());
  ASSERT_TRUE(wait_until([&] { return test::entries_in(w.link->link().track()) >= 2; }));
  w.board.unplug();  // the label now carries the disconnection notice beside the depth
  ASSERT_TRUE(wait_until([&] { return w.main->Label2->text().contains(QString::fromUtf8("déconnecté")); }));
  const std::string depth = w.link->model().depth_text();
  ASSERT_EQ(depth.find("connect"), std::string::npos) << depth;
  w.recording->btStopClick();
  const auto subs = test::parse_srt(cp1252_to_utf8(w.main->video_folder()) + "/P12.srt");
  ASSERT_GE(subs.size(), 2u);
  EXPECT_EQ(subs[subs.size() - 2].text, cp1252_to_utf8(depth));
}

TEST(StationRecording, ClosingTheWindowFinishesTheRecordingAndStartUpRecoversNothing) {
  Windows w;
  ASSERT_TRUE(wait_until([&] { return w.link->link().polling(); }));
  w.prompter.add_answer(false);  // zero
  w.prompter.add_answer(true);   // start
  ASSERT_TRUE(w.recording->btStartClick());
  ASSERT_TRUE(wait_until([&] { return test::entries_in(w.link->link().track()) >= 2; }));
  // Frames must have reached the file, or the finished recording is rightly dropped as empty.
  ASSERT_TRUE(wait_until([&] { return w.main->engine().FirstFrameTimeNs() > 0; }));
  ASSERT_TRUE(wait_until([&] { return w.main->Label5->text().contains(QStringLiteral("mn")); }));
  w.recording->FormClose();
  w.main->FormClose();
  const auto played = test::play_avi(w.avi());
  EXPECT_TRUE(played.ok) << w.avi() << ": " << played.error << " (" << played.frames << " frames)";
  const auto messages = w.prompter.texts().size();
  w.recording->recover_unfinished();
  EXPECT_EQ(w.prompter.texts().size(), messages);
}

// "Photo" outside a recording goes to the video folder under the prefix; during one, the photo
// and the observation go beside the recording, into its depth record and its observation track.
TEST(StationRecording, PhotosAndObservationsInsideAndOutsideARecording) {
  Windows w;
  ASSERT_TRUE(wait_until([&] { return w.link->link().polling(); }));
  const fs::path folder = cp1252_to_utf8(w.main->video_folder());
  auto photos = [&] {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
      if (e.path().extension() == ".jpg") names.push_back(e.path().filename().string());
    return names;
  };
  ASSERT_TRUE(wait_until([&] {
    w.recording->take_photo();
    return !photos().empty();
  }));
  EXPECT_TRUE(photos()[0].starts_with("P12 ")) << photos()[0];

  w.prompter.add_answer(true);  // zero
  w.prompter.add_answer(true);  // start
  ASSERT_TRUE(w.recording->btStartClick());
  ASSERT_TRUE(wait_until([&] { return w.main->engine().FirstFrameTimeNs() > 0; }));
  ASSERT_TRUE(wait_until([&] { return test::entries_in(w.link->link().track()) >= 3; }));
  const std::size_t before = photos().size();
  w.recording->observe("Corrosion", "bas du tubage");
  EXPECT_EQ(photos().size(), before + 1);
  w.recording->btStopClick();

  const auto cues = test::parse_srt((folder / "P12.obs.srt").string());
  ASSERT_EQ(cues.size(), 1u);
  EXPECT_NE(cues[0].text.find("Corrosion"), std::string::npos);
  EXPECT_NE(cues[0].text.find("bas du tubage"), std::string::npos);
  const std::string record = test::read_bytes(folder / "P12.depth.csv");
  EXPECT_NE(record.find(",observation,"), std::string::npos) << record;
  EXPECT_NE(record.find(",snapshot,"), std::string::npos) << record;
}

}  // namespace
}  // namespace wellvue
