// The recording workflow on the station's two real windows: the main window over GStreamer with
// the test-pattern camera, the link window opening the simulated board's pseudo-terminal in the
// background, offscreen.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "../support/wait_until.h"
#include "app/main_window/main_form.h"
#include "app/main_window/station_backend.h"
#include "app/recording/station_recording.h"
#include "app/services/text_bridge.h"
#include "capture/gst/test_pattern_device.h"
#include "recording/depth_record.h"
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

std::vector<std::string> photos_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().extension() == ".jpg") names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Presses "Photo" until the camera has a picture and one is written.
bool first_photo(Windows& w, const fs::path& folder) {
  return wait_until([&] {
    w.recording->take_photo();
    w.recording->wait_for_photos();
    return !photos_in(folder).empty();
  });
}

// "Photo" outside a recording goes to the video folder under the prefix; during one, the photo
// and the observation go beside the recording, into its depth record (at the press's time, the
// write done off the GUI thread) and its observation track. Quick presses give as many files, and
// the stop waits for the photos under way.
TEST(StationRecording, PhotosAndObservationsInsideAndOutsideARecording) {
  Windows w;
  ASSERT_TRUE(wait_until([&] { return w.link->link().polling(); }));
  const fs::path folder = cp1252_to_utf8(w.main->video_folder());
  ASSERT_TRUE(first_photo(w, folder));
  EXPECT_TRUE(photos_in(folder)[0].starts_with("P12 ")) << photos_in(folder)[0];

  w.prompter.add_answer(true);  // zero
  w.prompter.add_answer(true);  // start
  ASSERT_TRUE(w.recording->btStartClick());
  ASSERT_TRUE(wait_until([&] { return w.main->engine().FirstFrameTimeNs() > 0; }));
  ASSERT_TRUE(wait_until([&] { return test::entries_in(w.link->link().track()) >= 3; }));
  const std::size_t before = photos_in(folder).size();
  const std::int64_t pressed = *w.recording->workflow().video_ms_now();
  w.recording->take_photo();
  w.recording->take_photo();
  w.recording->observe("Corrosion", "bas du tubage");
  w.recording->btStopClick();
  EXPECT_EQ(w.recording->photos_under_way(), 0);
  // Two photos at the same depth: the second one numbered.
  const auto names = photos_in(folder);
  ASSERT_EQ(names.size(), before + 3);

  const auto cues = test::parse_srt((folder / "P12.obs.srt").string());
  ASSERT_EQ(cues.size(), 1u);
  EXPECT_NE(cues[0].text.find("Corrosion"), std::string::npos);
  EXPECT_NE(cues[0].text.find("bas du tubage"), std::string::npos);
  const DepthRecord record = read_depth_record((folder / "P12.depth.csv").string());
  std::vector<std::string> snapshots;
  for (std::size_t i = 0; i < record.rows.size(); ++i) {
    const DepthRow& r = record.rows[i];
    if (i > 0) {
      EXPECT_GE(r.video_ms, record.rows[i - 1].video_ms) << i;
    }
    if (r.event != "snapshot" && r.event != "observation") continue;
    EXPECT_NEAR(static_cast<double>(r.video_ms), static_cast<double>(pressed), 40) << r.event << " " << r.detail;
    if (r.event == "snapshot") {
      EXPECT_TRUE(fs::exists(folder / r.detail)) << r.detail;
      snapshots.push_back(r.detail);
    }
  }
  ASSERT_EQ(snapshots.size(), 3u);
  EXPECT_NE(snapshots[0], snapshots[1]);
  EXPECT_NE(snapshots[2].find("Corrosion"), std::string::npos) << snapshots[2];
  EXPECT_EQ(w.main->StatusBar_text->text(),
            QString::fromUtf8("Photo enregistrée : ") + QString::fromStdString(snapshots[2]));
}

// An ext4 file system of its own, frozen as a stalled USB stick would be: every write to it waits
// until it thaws. Mounting needs root: mounted() says whether it worked.
class FreezableDisk {
 public:
  explicit FreezableDisk(const fs::path& where) : image_(where / "disk.img"), path_(where / "disk") {
    fs::create_directories(path_);
    const std::string mk = "truncate -s 16M '" + image_.string() + "' && mkfs.ext4 -q '" + image_.string() +
                           "' && mount -o loop '" + image_.string() + "' '" + path_.string() + "' 2>/dev/null";
    mounted_ = std::system(mk.c_str()) == 0;
  }
  ~FreezableDisk() {
    thaw();
    if (mounted_ && std::system(("umount '" + path_.string() + "'").c_str()) != 0)
      ADD_FAILURE() << "the test disk stays mounted on " << path_;
  }
  bool mounted() const { return mounted_; }
  const fs::path& path() const { return path_; }
  bool freeze() { return frozen_ = std::system(("fsfreeze --freeze '" + path_.string() + "'").c_str()) == 0; }
  void thaw() {
    if (frozen_.exchange(false) && std::system(("fsfreeze --unfreeze '" + path_.string() + "'").c_str()) != 0)
      ADD_FAILURE() << "the test disk stays frozen: " << path_;
  }

 private:
  fs::path image_, path_;
  bool mounted_ = false;
  std::atomic<bool> frozen_{false};
};

// Photos on a disk that does not take writes: the presses come back at once, the window goes on,
// and the photos are written and told once the disk takes them again.
TEST(StationRecording, APhotoOnAStalledDiskLeavesTheWindowFree) {
  Windows w;
  FreezableDisk disk(w.dir.path().toStdString());
  if (!disk.mounted()) GTEST_SKIP() << "no loop mount (needs root)";
  w.main->set_video_folder(utf8_to_cp1252(disk.path().string()));
  ASSERT_TRUE(first_photo(w, disk.path()));
  const std::size_t before = photos_in(disk.path()).size();

  ASSERT_TRUE(disk.freeze());
  std::atomic<bool> pressed{false};
  std::atomic<bool> thawed_early{false};
  // Should the presses wait for the disk, the disk thaws after a while and the test fails.
  std::thread guard([&] {
    QDeadlineTimer limit(5000);
    while (!pressed && !limit.hasExpired()) QThread::msleep(5);
    if (!pressed) thawed_early = true;
    if (!pressed) disk.thaw();
  });
  w.recording->take_photo();
  w.recording->take_photo();
  pressed = true;
  guard.join();
  EXPECT_FALSE(thawed_early);
  const QString notice = w.main->StatusBar_text->text();
  // The window's loop runs while the disk holds the writes.
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(10);
  EXPECT_FALSE(wait_until([&] { return w.recording->photos_under_way() == 0; }, 500));
  EXPECT_GE(ticks, 20);
  EXPECT_EQ(w.recording->photos_under_way(), 2);
  EXPECT_EQ(w.main->StatusBar_text->text(), notice);

  disk.thaw();
  ASSERT_TRUE(wait_until([&] { return w.recording->photos_under_way() == 0; }, 10000));
  const auto names = photos_in(disk.path());
  ASSERT_EQ(names.size(), before + 2);
  EXPECT_TRUE(w.main->StatusBar_text->text().startsWith(QString::fromUtf8("Photo enregistrée : ")));
  // Whole pictures, nothing half written left in the folder.
  for (const auto& e : fs::directory_iterator(disk.path())) {
    if (e.path().extension() != ".jpg") {
      EXPECT_EQ(e.path().filename(), "lost+found");
      continue;
    }
    const std::string bytes = test::read_bytes(e.path());
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8") << e.path();
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9") << e.path();
  }
}

}  // namespace
}  // namespace wellvue
