// The review window on a real recording of wellvue-record (test-pattern camera, simulated board):
// a typed depth, a click on the profile, a frame step, the marks and a photo, through the real
// widgets and the real GStreamer player.
#include "app/review/review_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "../../util/temp_dir.h"
#include "../support/wait_until.h"
#include "app/review/deliverable_dialogs.h"
#include "app/review/profile_plot.h"
#include "app/review/review_picture.h"
#include "app/services/text_bridge.h"
#include "recording/depth_record.h"
#include "report/deliverable_choices.h"
#include "report/report_content.h"
#include "util/depth_text.h"
#include "util/numbers.h"
#include "util/scripted_prompter.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;
using testing::wait_until;

constexpr std::int64_t kFrameMs = 40;

class ReviewWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir;
    const std::string command = std::string(WELLVUE_RECORD_TOOL) +
                                " --test-source --simulate-board --seconds 10 --folder '" + dir_->path().string() +
                                "' --prefix P12 --no-date --snapshot-at 3 --observe-at 6=Corrosion >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    record_ = new DepthRecord(read_depth_record((dir_->path() / "P12.depth.csv").string()));
  }
  static void TearDownTestSuite() {
    delete record_;
    delete dir_;
  }

  void SetUp() override {
    window_ = std::make_unique<ReviewWindow>((dir_->path() / "P12.avi").string(), prompter_);
    std::string error;
    ASSERT_TRUE(window_->open(error)) << error;
    window_->show();
    ASSERT_TRUE(wait_until([&] { return window_->picture()->pictures_shown() > 0; }, 10000));
  }

  // The first line row of the record at or below a depth.
  static const DepthRow& first_row_at(double depth_m) {
    for (const DepthRow& row : record_->rows)
      if (row.event == "line" && row.depth_m >= depth_m - 0.0005) return row;
    ADD_FAILURE() << "no row at " << depth_m;
    return record_->rows.back();
  }

  // Waits until the picture on screen is the frame the player shows.
  void settle() {
    const auto shown = window_->picture()->pictures_shown();
    wait_until([&] { return window_->picture()->pictures_shown() > shown; }, 300);
  }

  static test::TempDir* dir_;
  static DepthRecord* record_;
  ScriptedPrompter prompter_;
  std::unique_ptr<ReviewWindow> window_;
};

test::TempDir* ReviewWindowTest::dir_ = nullptr;
DepthRecord* ReviewWindowTest::record_ = nullptr;

TEST_F(ReviewWindowTest, ATypedDepthLandsWithinAFrameOfTheRecordsFirstRowThere) {
  // Depths of rows a few seconds apart and round depths between rows, typed as an operator would
  // (comma or point, with or without the metre sign).
  auto row_depth_near = [](std::int64_t ms) {
    for (const DepthRow& row : record_->rows)
      if (row.event == "line" && row.video_ms >= ms) return row.depth_m;
    return 0.0;
  };
  const QString comma = QString::fromStdString(fixed_text(row_depth_near(1500), 3, ','));
  const QString exact_metre = QString::fromStdString(fixed_text(row_depth_near(4200), 3) + "m");
  const QString exact_late = QString::fromStdString(fixed_text(row_depth_near(7700), 3));
  for (const QString& typed : {comma, exact_metre, exact_late,
                               QStringLiteral("0,5"), QStringLiteral("1.2m")}) {
    SCOPED_TRACE(typed.toStdString());
    QString number = typed;
    number.replace(QLatin1Char(','), QLatin1Char('.')).remove(QLatin1Char('m'));
    const double depth = number.toDouble();
    const DepthRow& expected = first_row_at(depth);
    window_->depth_field()->clear();
    QTest::keyClicks(window_->depth_field(), typed);
    QTest::keyClick(window_->depth_field(), Qt::Key_Return);
    const std::int64_t frame = window_->player().frame_ms();
    EXPECT_GE(frame, expected.video_ms);
    EXPECT_LE(frame - expected.video_ms, kFrameMs) << "row at " << expected.video_ms;
    EXPECT_TRUE(window_->note_label()->text().isEmpty()) << window_->note_label()->text().toStdString();
    // The depth under the picture is the reading of that frame: the one asked for or just past it.
    const double shown = *window_->recording().track.depth_at(frame);
    EXPECT_GE(shown, depth - 0.0005);
    EXPECT_EQ(window_->depth_label()->text(), to_qt(depth_text(shown)));
  }
  // Deeper than the recording went: the deepest moment, and the operator is told.
  window_->depth_field()->clear();
  QTest::keyClicks(window_->depth_field(), QStringLiteral("500"));
  QTest::keyClick(window_->depth_field(), Qt::Key_Return);
  EXPECT_TRUE(window_->note_label()->text().contains(QStringLiteral("n'a pas été atteinte")));
  EXPECT_LE(std::abs(window_->player().frame_ms() - first_row_at(window_->recording().track.max_depth()).video_ms),
            kFrameMs);
  // Going up: this descent never came back above 1 m, so its last moment there is the last reading.
  window_->direction()->setCurrentIndex(1);
  window_->depth_field()->clear();
  QTest::keyClicks(window_->depth_field(), QStringLiteral("1"));
  QTest::keyClick(window_->depth_field(), Qt::Key_Return);
  std::int64_t last_reading = 0;
  for (const DepthRow& row : record_->rows)
    if (row.event == "line") last_reading = row.video_ms;
  EXPECT_LE(std::abs(window_->player().frame_ms() - last_reading), kFrameMs);
  EXPECT_TRUE(window_->note_label()->text().contains(QStringLiteral("pas remontée")));
  window_->direction()->setCurrentIndex(0);
  // Not a number: said, and the picture stays.
  const std::int64_t before = window_->player().frame_ms();
  window_->depth_field()->clear();
  QTest::keyClicks(window_->depth_field(), QStringLiteral("douze"));
  QTest::keyClick(window_->depth_field(), Qt::Key_Return);
  EXPECT_TRUE(window_->note_label()->text().contains(QStringLiteral("pas une profondeur")));
  EXPECT_EQ(window_->player().frame_ms(), before);
}

TEST_F(ReviewWindowTest, AClickOnTheProfileGoesToThatMoment) {
  ProfilePlot* plot = window_->profile();
  for (const double fraction : {0.25, 0.6}) {
    const int x = plot->x_of_ms(static_cast<std::int64_t>(fraction * window_->player().duration_ms()));
    const std::int64_t wanted = plot->ms_at_x(x);
    QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(x, plot->height() / 2));
    const std::int64_t frame = window_->player().frame_ms();
    EXPECT_LE(frame, wanted);
    EXPECT_LT(wanted - frame, kFrameMs) << "wanted " << wanted << ", shown " << frame;
  }
}

TEST_F(ReviewWindowTest, FrameStepsMoveOneFrameEachWay) {
  ASSERT_TRUE(window_->go_to_ms(4000));
  EXPECT_EQ(window_->player().frame_ms(), 4000);
  auto* next = window_->findChild<QPushButton*>(QString(), Qt::FindChildrenRecursively);
  for (QPushButton* b : window_->findChildren<QPushButton*>())
    if (b->text().contains(QStringLiteral("suivante"))) next = b;
  const auto shown = window_->picture()->pictures_shown();
  QTest::mouseClick(next, Qt::LeftButton);
  EXPECT_EQ(window_->player().frame_ms(), 4000 + kFrameMs);
  ASSERT_TRUE(wait_until([&] { return window_->picture()->pictures_shown() > shown; }, 5000));
  ASSERT_TRUE(window_->step(1));
  EXPECT_EQ(window_->player().frame_ms(), 4000 + 2 * kFrameMs);
  ASSERT_TRUE(window_->step(-1));
  EXPECT_EQ(window_->player().frame_ms(), 4000 + kFrameMs);
  // Past the last frame there is nothing to step to: it says so and stays on it.
  ASSERT_TRUE(window_->go_to_ms(window_->player().duration_ms() + 5000));
  const std::int64_t last = window_->player().frame_ms();
  EXPECT_GT(last, window_->player().duration_ms() - 2 * kFrameMs);
  EXPECT_FALSE(window_->step(1));
  EXPECT_EQ(window_->player().frame_ms(), last);
}

TEST_F(ReviewWindowTest, TheMarksListTheObservationAndThePhotoWithThumbnails) {
  QListWidget* marks = window_->marks();
  ASSERT_EQ(marks->count(), 2);
  EXPECT_TRUE(marks->item(0)->text().contains(QStringLiteral("Photo")));
  EXPECT_TRUE(marks->item(1)->text().contains(QStringLiteral("Corrosion")));
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(marks->item(i)->icon().isNull()) << i;
  // A click goes to the observation's moment.
  std::int64_t observed = -1;
  for (const DepthRow& row : record_->rows)
    if (row.event == "observation") observed = row.video_ms;
  const QRect where = marks->visualItemRect(marks->item(1));
  QTest::mouseClick(marks->viewport(), Qt::LeftButton, {}, where.center());
  const std::int64_t frame = window_->player().frame_ms();
  EXPECT_LE(frame, observed);
  EXPECT_LT(observed - frame, kFrameMs);
}

TEST_F(ReviewWindowTest, APhotoIsTheFullFrameWithItsDepthBandAndNeverReplacesOne) {
  ASSERT_TRUE(window_->go_to_ms(5000));
  settle();
  const QImage frame = window_->picture()->picture();
  const std::string first = window_->save_photo();
  const std::string second = window_->save_photo();
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  EXPECT_EQ(fs::path(first).parent_path(), dir_->path());
  QImage saved(QString::fromStdString(first));
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(saved.width(), frame.width());
  EXPECT_GT(saved.height(), frame.height());  // the band under it
  EXPECT_TRUE(prompter_.texts().empty());
  // The report lists them with the station's photo, at the depth the window showed.
  const auto depth = window_->recording().track.depth_at(window_->player().frame_ms());
  ASSERT_TRUE(depth);
  const ReportContent report = gather_report((dir_->path() / "P12.avi").string(), {});
  std::vector<std::string> listed;
  for (const ReportPhoto& p : report.photos) {
    listed.push_back(p.file_name);
    if (p.file_name == fs::path(first).filename() || p.file_name == fs::path(second).filename()) {
      EXPECT_NEAR(p.depth_m, *depth, 0.006) << p.file_name;
      EXPECT_EQ(p.path, dir_->path() / p.file_name);
    }
  }
  const auto station_photos = std::count_if(record_->rows.begin(), record_->rows.end(),
                                           [](const DepthRow& r) { return r.event == "snapshot"; });
  EXPECT_EQ(listed.size(), static_cast<std::size_t>(station_photos) + 2);
  EXPECT_EQ(std::count(listed.begin(), listed.end(), fs::path(first).filename().string()), 1);
  EXPECT_EQ(std::count(listed.begin(), listed.end(), fs::path(second).filename().string()), 1);
  fs::remove(first);
  fs::remove(second);
}

// The dialogs offer what the tools offer, the last run's choices first, in controls a gloved
// finger hits.
TEST_F(ReviewWindowTest, TheDeliverableDialogsOfferTheToolsChoicesAsLastChosen) {
  const fs::path kept = dir_->path() / "livrables.txt";
  ASSERT_TRUE(save_deliverable_choices(kept, {true, true, "Saint-\xC3\x89loi", "Anne Roux"}));
  const DeliverableChoices choices = load_deliverable_choices(kept);
  const std::string stem = (dir_->path() / "P12").string();
  ExportDialog exporting(stem, choices);
  exporting.show();
  EXPECT_TRUE(exporting.mp4());
  EXPECT_TRUE(exporting.burn());
  EXPECT_EQ(exporting.output(), stem + ".mp4");
  QTest::mouseClick(exporting.mkv_button(), Qt::LeftButton, {}, exporting.mkv_button()->rect().center());
  EXPECT_FALSE(exporting.mp4());
  EXPECT_EQ(exporting.output(), stem + ".mkv");
  ReportDialog report(stem, choices);
  report.show();
  EXPECT_EQ(report.site(), "Saint-\xC3\x89loi");
  EXPECT_EQ(report.operator_name(), "Anne Roux");
  EXPECT_EQ(report.output(), stem + " rapport.pdf");
  for (QDialog* dialog : {static_cast<QDialog*>(&exporting), static_cast<QDialog*>(&report)})
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
      if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w)) {
        EXPECT_GE(w->height(), kGloveHeightPx) << w->metaObject()->className() << " " << w->objectName().toStdString();
      }
    }
  // Nothing kept yet: Matroska, no burn-in, no site.
  const DeliverableChoices fresh = load_deliverable_choices(dir_->path() / "absent.txt");
  EXPECT_FALSE(fresh.mp4);
  EXPECT_FALSE(fresh.burn);
  EXPECT_TRUE(fresh.site.empty());
}

// What the client receives, from the window: the export plays with its two named tracks, the
// report is a PDF whose text names the observation.
TEST_F(ReviewWindowTest, ExportAndReportFromTheWindow) {
  std::string error;
  const fs::path mkv = dir_->path() / "out.mkv", pdf = dir_->path() / "rapport.pdf";
  ASSERT_TRUE(window_->export_to(mkv.string(), error)) << error;
  ASSERT_TRUE(window_->report_to(pdf.string(), error)) << error;
  auto run = [](const std::string& command) {
    std::string text;
    if (FILE* p = ::popen(command.c_str(), "r")) {
      char buffer[256];
      while (std::fgets(buffer, sizeof buffer, p)) text += buffer;
      ::pclose(p);
    }
    return text;
  };
  const std::string streams =
      run("ffprobe -v error -show_entries stream=codec_name:stream_tags=title -of csv=p=0 '" + mkv.string() + "'");
  EXPECT_NE(streams.find("h264"), std::string::npos) << streams;
  EXPECT_NE(streams.find("Profondeur"), std::string::npos) << streams;
  EXPECT_NE(streams.find("Observations"), std::string::npos) << streams;
  EXPECT_NE(run("pdftotext '" + pdf.string() + "' -").find("Corrosion"), std::string::npos);
  fs::remove(mkv);
  fs::remove(pdf);
}

}  // namespace
}  // namespace wellvue
