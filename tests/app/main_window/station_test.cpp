// The whole station on the simulated encoder board (a pseudo-terminal) and the test-pattern
// camera: the demo's start-up, and the reference panels of the main window working on the real
// encoder link.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <set>
#include <thread>

#include "app/services/text_bridge.h"
#include "capture/avi/avi_info.h"
#include "capture/gst/test_pattern_device.h"
#include "demo.h"
#include "descent_profile.h"
#include "form_fixture.h"
#include "sim_board.h"
#include "util/cp1252.h"
#include "util/numbers.h"

namespace wellvue {
namespace {

// Answers the station's message boxes (OK, or No to a question) and keeps their texts.
class BoxReader {
 public:
  BoxReader() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts.push_back(box->text());
        box->reject();
      }
    });
    timer_.start(30);
  }
  std::vector<QString> texts;

 private:
  QTimer timer_;
};

// A board that counts one tic per period from `start`, on a thread of its own.
class CountingBoard {
 public:
  explicit CountingBoard(long long start = 1000) {
    SimOptions o;
    o.period_ms = 50;
    o.start = start;
    o.boot_ms = 200;
    runner_ = std::thread([this, o] { board_.run(o, stop_); });
  }
  ~CountingBoard() {
    stop_ = true;
    runner_.join();
  }
  const std::string& path() const { return board_.slave_path(); }

 private:
  SimBoard board_;
  std::atomic<bool> stop_{false};
  std::thread runner_;
};

// A station on the counting board, with its settings in a folder of its own.
struct StationOnBoard {
  QTemporaryDir dir;
  CountingBoard board;
  std::unique_ptr<Station> station;
  StationOnBoard() {
    StationOptions o;
    o.test_source = true;
    o.settings_executable_path = dir.path() + "/wellvue";
    const std::string port = board.path();
    o.system_ports = [port] { return std::vector<std::string>{port}; };
    station = std::make_unique<Station>(o);
    process_until([this] { return link().state().tics > 1000; }, 60000);
  }
  ~StationOnBoard() { station.reset(); }
  TFormMain& main() { return station->main_form(); }
  EncoderLink& link() { return station->link_window().link(); }
  // Lets a few readings arrive.
  void wait_tics(int n) {
    const auto from = link().state().tics;
    process_until([&] { return link().state().tics >= from + n; }, 60000);
  }
};

TEST(Demo, StartsWithTheDepthMovingAndTheTestPictureShown) {
  Demo demo;
  Station station(demo.station_options());
  TFormMain& m = station.main_form();
  ASSERT_TRUE(Demo::choose_test_camera(m));
  EXPECT_TRUE(m.Panel_start_capture->is_enabled_button());
  EXPECT_TRUE(m.config()->WantCapture);
  EXPECT_EQ(m.config()->VideoSourceName, std::string(gst::kTestPatternName));
  // The link opened the board's pseudo-terminal as its port.
  EXPECT_EQ(station.link_window().link().fields().ComboBox1_port_com, demo.port_path());
  EXPECT_EQ(m.video_folder(), from_qt(demo.video_folder()));

  // The descent makes the depth text change, more than once, as the count goes down the well.
  std::set<QString> depths;
  std::set<std::int64_t> counts;
  process_until(
      [&] {
        counts.insert(station.link_window().link().state().tics);
        if (station.link_window().link().state().tics > 0) depths.insert(m.Label2->text());
        return depths.size() >= 4 && counts.size() >= 4 && m.cap->pictures_shown() >= 3;
      },
      90000);
  EXPECT_GE(depths.size(), 4u);
  EXPECT_GE(counts.size(), 4u);
  ASSERT_GE(m.cap->pictures_shown(), 3u);
  const QImage shot = m.cap->grab().toImage();
  int coloured = 0;
  for (int x = 5; x < shot.width(); x += shot.width() / 16)
    if (shot.pixelColor(x, shot.height() / 4) != QColor(128, 128, 128)) ++coloured;
  EXPECT_GE(coloured, 8);

  // Closing writes the demo's own settings file, with its video folder.
  m.close();
  QFile ini(demo.settings_file());
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  const QByteArray text = ini.readAll();
  EXPECT_TRUE(text.contains("repertoire_video = " + QFile::encodeName(demo.video_folder()))) << text.toStdString();
}

// Answers Yes to every question (but the zero question, answered as told) and OK to every
// message, keeping their texts.
class YesSayer {
 public:
  explicit YesSayer(bool zero_counters) {
    QObject::connect(&timer_, &QTimer::timeout, [this, zero_counters] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      texts.push_back(box->text());
      const bool zero_question = box->text().contains(QStringLiteral("margelle"));
      for (QAbstractButton* b : box->buttons()) {
        const auto role = box->buttonRole(b);
        const bool consent = role == QMessageBox::YesRole || role == QMessageBox::AcceptRole;
        if (zero_question ? (consent == zero_counters && role != QMessageBox::AcceptRole) : consent) {
          b->click();
          return;
        }
      }
    });
    timer_.start(30);
  }
  QStringList texts;

 private:
  QTimer timer_;
};

// The operator's whole round through the buttons of the demo station: camera, start, a few
// seconds of descent, stop; the video and its subtitles then stand side by side.
void record_through_the_buttons(bool zero_counters) {
  Demo demo;
  Station station(demo.station_options());
  TFormMain& m = station.main_form();
  ASSERT_TRUE(Demo::choose_test_camera(m));
  m.CheckBox1->setChecked(false);  // a name without the date stamp
  YesSayer yes(zero_counters);

  m.traite_down(m.Panel_start_capture);
  ASSERT_TRUE(m.Panel_stop_capture->is_enabled_button())
      << yes.texts.size() << " boxes, last: " << (yes.texts.empty() ? "" : yes.texts.back().toStdString());
  EXPECT_EQ(station.link_window().link().fields().RadioGroup1, 0);
  // Obvious at a glance: the red mark, and the file being written with its own name whole.
  const QString avi_name = m.Edit_nom_prefixe->text().trimmed() + ".avi";
  EXPECT_TRUE(m.recording_shown());
  const QImage mark = m.RecordingMark_rec->grab().toImage();
  EXPECT_EQ(mark.pixelColor(18, mark.height() / 2), RecordingMark::colour());  // the disc's centre
  EXPECT_TRUE(m.StatusBar_file->isVisible());
  EXPECT_TRUE(m.StatusBar_file->toolTip().endsWith("/" + avi_name)) << m.StatusBar_file->toolTip().toStdString();
  EXPECT_TRUE(m.StatusBar_file->text().endsWith(avi_name)) << m.StatusBar_file->text().toStdString();
  // Two seconds of the operator's time: CaptureTime may still hold an earlier count until the
  // engine's first tick of this recording, so it cannot tell when to stop.
  QElapsedTimer recording;
  recording.start();
  process_until([&] { return recording.elapsed() >= 2000; }, 60000);
  EXPECT_TRUE(m.Label5->text().contains(QStringLiteral("mn")))
      << m.Label5->text().toStdString() << " after " << m.engine().CaptureTime()
      << " ms; last box: " << (yes.texts.empty() ? "" : yes.texts.back().toStdString());
  m.traite_down(m.Panel_stop_capture);
  EXPECT_TRUE(m.Panel_start_capture->is_enabled_button());
  EXPECT_EQ(station.link_window().link().fields().RadioGroup1, 1);
  EXPECT_EQ(m.Label5->text(), QStringLiteral("stopp\u00e9"));
  EXPECT_FALSE(m.recording_shown());
  EXPECT_FALSE(m.StatusBar_file->isVisible());

  const QString base = demo.video_folder() + "/" + m.Edit_nom_prefixe->text().trimmed();
  const auto info = avi::read_avi_file((base + ".avi").toStdString());
  ASSERT_TRUE(info.info.has_value()) << info.error << " in "
                                     << QDir(demo.video_folder()).entryList().join(' ').toStdString()
                                     << "; boxes: " << yes.texts.join(" | ").toStdString();
  EXPECT_TRUE(info.info->finalised);
  EXPECT_GT(info.info->declared_video_frames(), 10u);
  QFile srt(base + ".srt");
  ASSERT_TRUE(srt.open(QIODevice::ReadOnly));
  const QByteArray text = srt.readAll();
  EXPECT_TRUE(!text.isEmpty() && text[0] >= '0' && text[0] <= '9') << text.left(80).toStdString();
  EXPECT_TRUE(text.contains(" --> ")) << text.toStdString();
  EXPECT_TRUE(text.contains(" ... ")) << "closing entry missing";
  EXPECT_TRUE(text.endsWith("\r\n\r\n"));
  m.close();
}

TEST(Demo, StartAndStopButtonsLeaveTheVideoAndItsSubtitlesSideBySide) { record_through_the_buttons(false); }

// With the counters zeroed at the start the port is closed and opened again before the engine
// starts; the video and its subtitles are there all the same.
TEST(Demo, StartWithZeroedCountersKeepsTheVideo) { record_through_the_buttons(true); }

TEST(DescentProfile, GoesDownInStagesWithPausesAndComesBack) {
  DescentProfile p;
  p.depth_m = 4;
  p.stage_m = 2;
  p.pause_s = 1;
  const std::vector<std::string> lines = descent_lines(p);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "0|");
  EXPECT_EQ(lines.back(), "0|");
  std::vector<long long> counts;
  for (const std::string& l : lines) counts.push_back(std::stoll(l.substr(0, l.size() - 1)));
  const long long bottom = std::llround(4 * p.tics_per_metre);
  EXPECT_EQ(*std::max_element(counts.begin(), counts.end()), bottom);
  // Pauses: a run of 10 equal counts at the top, at the stage and at the bottom.
  for (long long at : {0LL, std::llround(2 * p.tics_per_metre), bottom}) {
    int longest = 0;
    for (std::size_t i = 0, run = 0; i < counts.size(); ++i) {
      run = counts[i] == at ? run + 1 : 0;
      longest = std::max(longest, static_cast<int>(run));
    }
    EXPECT_GE(longest, 10) << at;
  }
  // Slow: the count never jumps by more than the speed allows in one period.
  const double most = p.up_m_per_s * p.tics_per_metre * p.period_ms / 1000.0 + 1;
  for (std::size_t i = 1; i < counts.size(); ++i) EXPECT_LE(std::llabs(counts[i] - counts[i - 1]), most) << i;
}

TEST(StationPanels, OkTakesTheCurbZeroAtTheWheelAndShowsTheDepthEverywhere) {
  StationOnBoard s;
  TFormMain& m = s.main();
  TForm1& w = s.station->link_window();
  const std::size_t lines_before = s.link().track().size();
  m.Panel_margelle->show();
  m.ComboBox1->lineEdit()->setText("50 cm");
  const auto tics = s.link().state().tics;  // no reading arrives before the click is handled
  QTest::mouseClick(m.BitBtn1, Qt::LeftButton);
  EXPECT_EQ(s.link().state().start_depth_cm, 50);
  EXPECT_EQ(s.link().state().curb_zero, tics);
  const std::string text = "margelle a zero...." + std::string(23, ' ') + format_pattern(0.5, " 0.00 m");
  const auto& track = s.link().track();
  ASSERT_EQ(track.size(), lines_before + 4);  // one entry: number, times, text, blank line
  EXPECT_EQ(track[track.size() - 2], text);
  EXPECT_EQ(m.Label7->text(), "50 cm");
  EXPECT_EQ(w.design().Label22->text(), "50 cm");
  EXPECT_EQ(w.design().ComboBox2->currentText(), "50 cm");
  EXPECT_FALSE(m.Panel_margelle->isVisible());
  // From the next readings on, the depth counts from the curb at 0.50 m.
  s.wait_tics(3);
  const double expected = 0.5 + (s.link().state().tics - tics) * s.link().state().metres_per_turn / 24.0;
  EXPECT_NEAR(s.link().state().depth_m, expected, 0.05);
}

// Answers Yes to the station's questions.
class YesAnswerer {
 public:
  YesAnswerer() {
    QObject::connect(&timer_, &QTimer::timeout, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        for (QAbstractButton* b : box->buttons()) {
          if (box->buttonRole(b) == QMessageBox::YesRole) return b->click();
        }
      }
    });
    timer_.start(30);
  }

 private:
  QTimer timer_;
};

TEST(StationPanels, CalibrationRunFromTheMainWindow) {
  StationOnBoard s;
  TFormMain& m = s.main();
  TForm1& w = s.station->link_window();
  m.Panel_calibration->show();
  QTest::mouseClick(m.BitBtn_start, Qt::LeftButton);
  const auto start = s.link().state().calibration_start_tics;
  EXPECT_EQ(m.Label_tic->text(), "0");
  EXPECT_FALSE(m.BitBtn_start->isEnabled());
  EXPECT_TRUE(m.BitBtn_stop->isEnabled());
  s.wait_tics(12);
  EXPECT_NE(m.Label_tic->text(), "0");  // the main window's count follows the wheel
  // Five metres over a few tics is far from the wheel in use: taken on the operator's Yes.
  YesAnswerer yes;
  QTest::mouseClick(m.BitBtn_stop, Qt::LeftButton);
  const auto stop = s.link().state().calibration_stop_tics;
  ASSERT_GT(stop, start);
  const QString circ = to_qt(format_pattern(5 * 1000.0 / static_cast<double>(stop - start) * 24, " 0"));
  EXPECT_EQ(m.Edit_circ->text(), circ);
  EXPECT_EQ(w.design().Edit_circ->text(), circ);
  EXPECT_TRUE(m.BitBtn_start->isEnabled());
  EXPECT_FALSE(m.BitBtn_stop->isEnabled());
  EXPECT_TRUE(w.design().BitBtn_start->isEnabled());
  EXPECT_FALSE(w.design().BitBtn_stop->isEnabled());
}

TEST(StationLinks, TheMainWindowsButtonsReachTheLink) {
  StationOnBoard s;
  const StationLinks& links = s.main().links();
  {
    BoxReader no;
    links.water_zero();  // "No": nothing changes
  }
  EXPECT_EQ(s.link().state().water_zero, -1);
  {
    YesAnswerer yes;
    links.water_zero();
  }
  EXPECT_EQ(s.link().state().water_zero, s.link().state().tics);
  links.save_settings();
  EXPECT_TRUE(QFileInfo::exists(QDir(s.dir.path()).filePath("wellvue.ini")));
  // The station's model is the one the link window shows and the main window's buttons reach.
  EXPECT_EQ(&s.station->model().link(), &s.link());
}

struct StopRefusal {
  const char* name;
  const char* length;  // typed in the main window's length field
  bool wait;           // let the wheel turn between start and stop
  const char* message;
};

class CalibrationStop : public ::testing::TestWithParam<StopRefusal> {};

TEST_P(CalibrationStop, IsRefusedAndStaysRunning) {
  const StopRefusal& c = GetParam();
  StationOnBoard s;
  TFormMain& m = s.main();
  m.Panel_calibration->show();
  m.Edit_longueur->clear();
  QTest::keyClicks(m.Edit_longueur, c.length);
  QTest::mouseClick(m.BitBtn_start, Qt::LeftButton);
  if (c.wait) s.wait_tics(3);
  const QString circ = m.Edit_circ->text();
  BoxReader boxes;
  // Clicked from the event loop, so that the box opens while the reader is looking.
  QTimer::singleShot(0, m.BitBtn_stop, [&] { m.BitBtn_stop->click(); });
  process_until([&] { return !boxes.texts.empty(); }, 30000);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_TRUE(boxes.texts[0].contains(QString::fromUtf8(c.message))) << boxes.texts[0].toStdString();
  EXPECT_EQ(m.Edit_circ->text(), circ);
  EXPECT_FALSE(m.BitBtn_start->isEnabled());
  EXPECT_TRUE(m.BitBtn_stop->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(StationPanels, CalibrationStop,
                         ::testing::Values(StopRefusal{"NoLength", "", true, "rotation non détectée..."},
                                           StopRefusal{"LengthWithoutDigit", "m", true, "rotation non détectée..."},
                                           StopRefusal{"LetterInLength", "5O", true,
                                                       "'5O' n'est pas une valeur en virgule flottante correcte"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StationPanels, ManualValidationTakesTheTypedCircumferenceInBothWindows) {
  StationOnBoard s;
  TFormMain& m = s.main();
  TForm1& w = s.station->link_window();
  m.Panel_calibration->show();
  m.Edit_circ->clear();
  QTest::keyClicks(m.Edit_circ, " 398 mm");
  QTest::mouseClick(m.BitBtn_manu, Qt::LeftButton);
  EXPECT_EQ(m.Edit_circ->text(), "398");
  EXPECT_EQ(w.design().Edit_circ->text(), "398");
}

}  // namespace
}  // namespace wellvue

namespace wellvue {
namespace {

// Answers every message box the station opens, as an operator would: Yes, unless `refuse` says
// No to its text; keeps the texts shown.
class BoxHand {
 public:
  BoxHand(QStringList& texts, std::function<bool(const QString&)> refuse) {
    QObject::connect(&timer_, &QTimer::timeout, [&texts, refuse = std::move(refuse)] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      texts.push_back(box->text());
      const bool no = refuse(box->text());
      for (QAbstractButton* b : box->buttons()) {
        const auto role = box->buttonRole(b);
        const bool consent = role == QMessageBox::YesRole || role == QMessageBox::AcceptRole;
        if (consent != no) return b->click();
      }
    });
    timer_.start(30);
  }

 private:
  QTimer timer_;
};

// " Quitter ? " answered No during a recording: "Start capture ?" stays disabled, and a press on
// it changes nothing, above all not the curb zero the depths count from.
TEST(StationRecordingButtons, StartPressedDuringARecordingLeavesTheCurbZero) {
  StationOnBoard s;
  TFormMain& m = s.main();
  ASSERT_TRUE(Demo::choose_test_camera(m));
  m.CheckBox1->setChecked(false);
  ASSERT_TRUE(QDir().mkpath(s.dir.path() + "/videos"));
  m.set_video_folder(from_qt(s.dir.path() + "/videos"));
  QStringList texts;
  BoxHand hand(texts, [](const QString& text) {
    return text.contains(QStringLiteral("margelle")) || text.contains(QStringLiteral("quitter"), Qt::CaseInsensitive);
  });
  m.traite_down(m.Panel_start_capture);
  ASSERT_TRUE(m.engine().Capturing());
  const auto curb_zero = s.link().state().curb_zero;

  m.traite_down(m.Panel_exit);
  // During a recording EXIT says what quitting does to it.
  EXPECT_TRUE(texts.contains(to_qt(TFormMain::kStopAndQuitQuestion)));
  EXPECT_TRUE(m.engine().Capturing());
  EXPECT_FALSE(m.Panel_start_capture->is_enabled_button());
  EXPECT_TRUE(m.Panel_stop_capture->is_enabled_button());
  s.wait_tics(5);
  const auto boxes = texts.size();
  m.traite_down(m.Panel_start_capture);
  EXPECT_EQ(s.link().state().curb_zero, curb_zero);
  EXPECT_NE(s.link().state().tics, curb_zero);
  EXPECT_EQ(texts.size(), boxes);  // no question, no message
  EXPECT_TRUE(m.engine().Capturing());

  m.traite_down(m.Panel_stop_capture);
  EXPECT_FALSE(m.engine().Capturing());
  EXPECT_TRUE(m.Panel_start_capture->is_enabled_button());
  EXPECT_FALSE(m.Panel_stop_capture->is_enabled_button());
  // Idle again: EXIT answered No brings the start button back as before.
  m.disable_button(m.Panel_start_capture);
  m.traite_down(m.Panel_exit);
  EXPECT_TRUE(m.Panel_start_capture->is_enabled_button());
  m.close();
}

// A recording is never cut short by a click or by the session's end: closing the window asks (No
// keeps it going), Yes and SIGTERM stop it as the stop button does, its files whole and its
// checksum written, the signal without a question.
TEST(StationQuit, ARecordingEndsWholeWhenTheWindowClosesOrTheSessionEnds) {
  enum class Way { CloseRefused, CloseAccepted, Sigterm };
  for (const Way way : {Way::CloseRefused, Way::CloseAccepted, Way::Sigterm}) {
    SCOPED_TRACE(static_cast<int>(way));
    StationOnBoard s;
    TFormMain& m = s.main();
    ASSERT_TRUE(Demo::choose_test_camera(m));
    m.CheckBox1->setChecked(false);
    m.Edit_nom_prefixe->setText("P12");
    const QString folder = s.dir.path() + "/videos";
    ASSERT_TRUE(QDir().mkpath(folder));
    m.set_video_folder(from_qt(folder));
    QStringList texts;
    BoxHand hand(texts, [way](const QString& text) {
      return way == Way::CloseRefused && text == to_qt(TFormMain::kStopAndQuitQuestion);
    });
    m.traite_down(m.Panel_start_capture);
    ASSERT_TRUE(m.engine().Capturing());
    process_until([&] { return m.engine().CaptureTime() > 2000 && m.engine().FirstFrameTimeNs() > 0; }, 60000);
    const auto asked_before = texts.count(to_qt(TFormMain::kStopAndQuitQuestion));
    if (way == Way::Sigterm) {
      s.station->quit_on_signals();
      ASSERT_EQ(::raise(SIGTERM), 0);  // delivered for real; acted on by the event loop
      process_until([&] { return !m.engine().Capturing(); }, 60000);
      EXPECT_EQ(texts.count(to_qt(TFormMain::kStopAndQuitQuestion)), asked_before);
    } else {
      m.close();
      EXPECT_EQ(texts.count(to_qt(TFormMain::kStopAndQuitQuestion)), asked_before + 1);
    }
    if (way == Way::CloseRefused) {
      EXPECT_TRUE(m.engine().Capturing());
      EXPECT_TRUE(m.isVisible());
      m.traite_down(m.Panel_stop_capture);
      continue;
    }
    EXPECT_FALSE(m.engine().Capturing());
    const QDir videos(folder);
    for (const char* name : {"P12.avi", "P12.srt", "P12.depth.csv", "P12.avi.sha256"})
      EXPECT_TRUE(videos.exists(QString::fromLatin1(name))) << name;
    // The checksum is the video's, as sha256sum checks it; the subtitles are closed.
    const std::string check = "cd '" + folder.toStdString() + "' && sha256sum -c --status P12.avi.sha256";
    EXPECT_EQ(std::system(check.c_str()), 0);
    QFile srt(videos.filePath("P12.srt"));
    ASSERT_TRUE(srt.open(QIODevice::ReadOnly));
    EXPECT_TRUE(srt.readAll().contains(" ... ")) << "the closing entry";
  }
}

}  // namespace
}  // namespace wellvue
