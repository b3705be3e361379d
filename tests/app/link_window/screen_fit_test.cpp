// The link window on screens of every size: inside the available area, every re-timing field
// reachable by scrolling, unchanged where it fits; the re-timing dialog's folder and the long
// file names cut in the middle.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include "app/link_window/settings_host.h"
#include "app/link_window/srt_file_choice.h"
#include "app/link_window/tform1.h"
#include "fake_main_window.h"
#include "util/scripted_prompter.h"

namespace wellvue {
namespace {

using testing::FakeMainWindow;

struct Window {
  Window() : host(&main.window), form(&main.window, prompter, options()) {
    form.design().CheckBox_options_avancees->setChecked(true);
    form.CheckBox_options_avanceesClick();
  }
  LinkWindowOptions options() {
    LinkWindowOptions o;
    o.main_controls = main.controls();
    o.settings = &host;
    o.executable_path = QDir(dir.path()).filePath("wellvue");
    o.run_form_create = false;
    o.system_ports = [] { return std::vector<std::string>{}; };
    return o;
  }
  std::vector<QWidget*> retiming_controls() {
    const RetimingPanelDesign& r = form.retiming_design();
    return {r.Label26,       r.SpeedButton5,  r.Label28,   r.Edit_temps_avi, r.Edit_temps_srt,
            r.Edit_decalage, r.Button_calcul, r.Button_t0, r.Button7,        form.design().Label27};
  }
  QTemporaryDir dir;
  FakeMainWindow main;
  PlainSettingsHost host;
  ScriptedPrompter prompter;
  TForm1 form;
};

// Scrolled to, the whole control lies inside the window.
void expect_reachable(TForm1& form, QWidget* w) {
  form.scroll_area().ensureWidgetVisible(w, 0, 0);
  QApplication::processEvents();
  EXPECT_FALSE(w->visibleRegion().isEmpty()) << w->objectName().toStdString();
  const QRect in_window(w->mapTo(&form, QPoint(0, 0)), w->size());
  EXPECT_TRUE(form.rect().contains(in_window))
      << w->objectName().toStdString() << " " << in_window.x() << "," << in_window.y() << " " << in_window.width()
      << "x" << in_window.height() << " form " << form.width() << "x" << form.height();
}

struct ScreenCase {
  const char* name;
  QRect available;
  bool fits;  // the designed 1470 x 865 fits as it is
};

class LinkWindowScreen : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(LinkWindowScreen, OpensInsideTheAreaWithEveryRetimingFieldReachable) {
  const ScreenCase& c = GetParam();
  Window win;
  win.form.show();
  QApplication::processEvents();
  win.form.fit_into(c.available);
  ASSERT_TRUE(testing::wait_until([&] { return c.available.contains(win.form.frameGeometry()); }, 5000));
  EXPECT_TRUE(c.available.contains(win.form.frameGeometry())) << c.name;
  if (c.fits) {
    EXPECT_EQ(win.form.size(), QSize(1470, 865));
    EXPECT_EQ(win.form.geometry().center().x(), c.available.center().x());
    EXPECT_EQ(win.form.design().Panel1->mapTo(&win.form, QPoint(0, 0)), QPoint(1170, 362));
  }
  for (QWidget* w : win.retiming_controls()) expect_reachable(win.form, w);
  // Shrunk by hand further, the content is still all reachable.
  win.form.resize(700, 450);
  ASSERT_TRUE(testing::wait_until([&] { return win.form.scroll_area().viewport()->height() < 450; }, 5000));
  for (QWidget* w : win.retiming_controls()) expect_reachable(win.form, w);
}

INSTANTIATE_TEST_SUITE_P(Screens, LinkWindowScreen,
                         ::testing::Values(ScreenCase{"laptop_1366x768", QRect(0, 0, 1366, 740), false},
                                           ScreenCase{"hd_1280x720", QRect(0, 27, 1280, 693), false},
                                           ScreenCase{"full_hd_1920x1080", QRect(0, 0, 1920, 1040), true},
                                           ScreenCase{"hd_plus_1600x900", QRect(0, 0, 1600, 870), true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Run by ctest at several offscreen screen sizes: the window fits the real screen at creation.
TEST(LinkWindowOnThisScreen, OpensInsideTheScreensAvailableArea) {
  Window win;
  win.form.show();
  QApplication::processEvents();
  const QRect available = win.form.screen()->availableGeometry();
  EXPECT_TRUE(available.contains(win.form.frameGeometry())) << available.width() << "x" << available.height();
  for (QWidget* w : win.retiming_controls()) expect_reachable(win.form, w);
}

TEST(RetimingFileChoice, TheDialogOpensInTheVideoFolder) {
  Window win;
  QTemporaryDir videos;
  win.host.folder = QDir::toNativeSeparators(videos.path()).toStdString();
  QString shown;
  QTimer::singleShot(0, [&] {
    if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      shown = d->directory().absolutePath();
      d->reject();
    }
  });
  win.form.retiming_design().SpeedButton5->click();
  EXPECT_EQ(shown, QDir(videos.path()).absolutePath());
  // A folder that is gone, or none: the working folder, as before.
  EXPECT_EQ(srt_dialog_start_folder(videos.path() + "/parti"), QDir::currentPath());
  EXPECT_EQ(srt_dialog_start_folder(QString()), QDir::currentPath());
}

TEST(RetimingFileChoice, LongNamesAreCutInTheMiddleWithTheWholeNameAsTooltip) {
  Window win;
  QTemporaryDir dir;
  QString sub = dir.path();
  while (sub.size() < 90) sub += "/forage_profond_puits";
  ASSERT_TRUE(QDir().mkpath(sub));
  QString path = sub + "/";
  path += QString(200 - path.size() - 4, QLatin1Char('x')) + ".srt";
  ASSERT_EQ(path.size(), 200);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("1\r\n00:00:01,000 --> 00:00:02,000\r\n  1,00m\r\n\r\n");
  f.close();
  QTimer::singleShot(0, [&] {
    if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      d->selectFile(path);
      QMetaObject::invokeMethod(d, "accept");
    }
  });
  win.form.retiming_design().SpeedButton5->click();

  ElidedLabel* labels[] = {win.form.design().Label27, win.form.retiming_design().Label28};
  for (ElidedLabel* l : labels) {
    const QString whole = l->text();
    ASSERT_TRUE(whole.endsWith(".srt")) << whole.toStdString();
    EXPECT_EQ(l->toolTip(), whole);
    const QString shown = l->shown_text();
    const int cut = shown.indexOf(QChar(0x2026));
    ASSERT_GT(cut, 0) << shown.toStdString() << " len " << shown.size() << " codes " << [&] {
      std::string o;
      for (QChar ch : shown) o += std::to_string(ch.unicode()) + " ";
      return o;
    }();
    EXPECT_TRUE(whole.startsWith(shown.left(cut)));
    EXPECT_TRUE(whole.endsWith(shown.mid(cut + 1)));
    EXPECT_TRUE(shown.endsWith(".srt"));
    EXPECT_LE(l->fontMetrics().horizontalAdvance(shown), l->contentsRect().width());
    // Wider, it shows more of the name.
    l->resize(l->width() * 2, l->height());
    EXPECT_GT(l->shown_text().size(), shown.size());
  }
}

}  // namespace
}  // namespace wellvue
