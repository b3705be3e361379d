// The SRT re-timing panel of the link window on real widgets: a real file loaded through the
// panel (the link closed first), "calcul xf", the t0 reset with its offset, Save beside the file
// in CP1252 with CR LF, and the refusals and failures the operator is told about.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextBlock>
#include <atomic>
#include <thread>

#include "app/link_window/settings_host.h"
#include "app/link_window/tform1.h"
#include "app/services/text_bridge.h"
#include "fake_main_window.h"
#include "sim_board.h"
#include "util/conversion_error.h"
#include "util/decimal_separator.h"
#include "util/scripted_prompter.h"

namespace wellvue {
namespace {

using testing::FakeMainWindow;
using testing::read_file;
using testing::wait_until;
using testing::write_file;

// Three entries as the live track writes them (texts right-aligned with no-break spaces) with
// entry numbers that are not in order; the last start is 00:00:08,500.
const std::vector<std::string> kTrack = {"1", "00:00:05,000 --> 00:00:06,000", "\xa0\xa0 1,00m",      "",
                                         "2", "00:00:06,000 --> 00:00:08,500", "\xa0\xa0 2,00m",      "",
                                         "7", "00:00:08,500 --> 00:00:09,000", "\xa0\xa0 3,00m \xe9", ""};

std::string crlf_bytes(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const auto& l : lines) bytes += l + "\r\n";
  return bytes;
}

// The lines as the list holds them (its plain text would turn no-break spaces into blanks).
std::vector<std::string> lines_of(QPlainTextEdit* memo) {
  std::vector<std::string> out;
  if (memo->document()->isEmpty()) return out;
  for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next()) out.push_back(from_qt(b.text()));
  return out;
}
std::vector<std::string> lines_of(const LinesView* track) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < track->line_count(); ++i) out.push_back(track->lines().line(i));
  return out;
}

// A link window with no port opened at creation; the file dialog answers with `chosen`.
struct Panel {
  // ports: the system's serial devices; with some, the window's creation opens the first.
  explicit Panel(std::vector<std::string> ports = {})
      : host(&main.window), form(&main.window, prompter, options(std::move(ports))) {
    set_decimal_separator(',');
    form.design().CheckBox_options_avancees->setChecked(true);
    form.CheckBox_options_avanceesClick();
  }
  ~Panel() { set_decimal_separator('.'); }
  LinkWindowOptions options(std::vector<std::string> ports) {
    LinkWindowOptions o;
    o.main_controls = main.controls();
    o.settings = &host;
    o.executable_path = QDir(dir.path()).filePath("wellvue");
    o.run_form_create = !ports.empty();
    o.system_ports = [ports] { return ports; };
    o.end_process = [](int) { ADD_FAILURE() << "the process would end"; };
    o.choose_srt_file = [this] {
      ++dialogs;
      return chosen;
    };
    return o;
  }
  QString srt(const char* name, const std::vector<std::string>& lines = kTrack) {
    const QString path = QDir(dir.path()).filePath(QString::fromLatin1(name));
    write_file(path, crlf_bytes(lines));
    return path;
  }
  void load(const QString& path) {
    chosen = path;
    form.retiming_design().SpeedButton5->click();
  }
  RetimingPanelDesign& rp() { return form.retiming_design(); }

  QTemporaryDir dir;
  ScriptedPrompter prompter;
  FakeMainWindow main;
  PlainSettingsHost host;
  QString chosen;
  int dialogs = 0;
  TForm1 form;
};

TEST(RetimingPanel, ControlsCarryTheirCaptionsAndHints) {
  Panel p;
  struct Case {
    QWidget* widget;
    const char* caption;
    const char* hint;
  };
  auto& r = p.rp();
  const Case cases[] = {
      {r.Label26, "post-traitement fichiers SRT", ""},
      {r.SpeedButton5, "choix fichier", ""},
      {r.Label28, "fichier", ""},
      {r.Label29, "AVI  mm:ss", ""},
      {r.Edit_temps_avi, "", "saisir la durée de la vidéo"},
      {r.Label30, "SRT hh:mm:ss,sss", ""},
      {r.Label31, "décalage + ou - en s", ""},
      {r.Button_calcul, "calcul xf", "applique un facteur au temps"},
      {r.Button_t0, "t0 => 00:00:00.000", "mise à zéro du temps initial et renumérotation"},
      {r.Button7, "Enregistrer", "on rajoute un _ devant le nom!!!"},
      {p.form.design().Label27, "fichier post-traité", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.widget->objectName().toStdString());
    QString text;
    if (auto* l = qobject_cast<QLabel*>(c.widget)) text = l->text();
    if (auto* b = qobject_cast<QPushButton*>(c.widget)) text = b->text();
    if (auto* e = qobject_cast<QLineEdit*>(c.widget)) text = e->text();
    EXPECT_EQ(text, QString::fromUtf8(c.caption));
    EXPECT_EQ(c.widget->toolTip(), QString::fromUtf8(c.hint));
    EXPECT_EQ(c.widget == p.form.design().Label27 ? p.form.design().Panel1 : c.widget->parentWidget(),
              p.form.design().Panel1);
  }
}

TEST(RetimingPanel, OutputListFollowsTheAdvancedOptionsAndTheLoad) {
  Panel p;
  auto& d = p.form.design();
  p.form.show();
  ASSERT_TRUE(wait_until([&] { return p.form.isVisible(); }));
  // Turned off: the panel and both lists go; the load shows the output list again.
  d.CheckBox_options_avancees->click();
  EXPECT_FALSE(d.Panel1->isVisible());
  EXPECT_FALSE(d.Memo6->isVisible());
  d.CheckBox_options_avancees->click();
  EXPECT_TRUE(d.Panel1->isVisible());
  EXPECT_TRUE(d.Memo6->isVisible());
  d.Memo6->hide();
  p.load(p.srt("a.srt"));
  EXPECT_TRUE(d.Memo6->isVisible());
  // The source list is shortened to half its height less 20 pixels; the output list lies below.
  EXPECT_EQ(d.Memo5->height(), 414 / 2 - 20);
  EXPECT_GT(d.Memo6->y(), d.Memo5->geometry().bottom());
  EXPECT_EQ(d.Memo6->x(), d.Memo5->x());
  // A second load keeps that layout instead of halving again.
  p.load(p.srt("a.srt"));
  EXPECT_EQ(d.Memo5->height(), 414 / 2 - 20);
  // The window as the operator sees it, for a look by eye when asked for.
  const QString shots = qEnvironmentVariable("WELLVUE_SCREENSHOT_DIR");
  if (!shots.isEmpty()) {
    p.rp().Edit_temps_avi->setText("12:30");
    p.rp().Button_t0->click();
    ASSERT_TRUE(p.form.grab().save(QDir(shots).filePath("link_window_retiming.png")));
  }
}

TEST(RetimingPanel, LoadFillsTheTrackAndTheFieldsFromARealFile) {
  Panel p;
  p.form.link().set_track_lines({"old", "track"});
  p.rp().Edit_temps_srt->setText("x");
  p.form.design().Memo6->setPlainText("old output");
  const QString path = p.srt("forage 1.srt");
  p.load(path);
  EXPECT_EQ(p.dialogs, 1);
  EXPECT_EQ(std::vector<std::string>(p.form.link().track().begin(), p.form.link().track().end()), kTrack);
  EXPECT_EQ(lines_of(p.form.design().Memo5), kTrack);
  EXPECT_TRUE(p.form.design().Memo6->toPlainText().isEmpty());
  EXPECT_EQ(p.rp().Edit_temps_srt->text(), QStringLiteral("00:00:08,500"));
  EXPECT_EQ(p.rp().Label28->text(), QStringLiteral("forage 1.srt"));
  EXPECT_EQ(p.form.design().Label27->text(), QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
  EXPECT_EQ(p.form.design().Label1->text(), QStringLiteral("CloseCom"));  // the link was closed
  EXPECT_TRUE(p.prompter.texts().empty());
}

TEST(RetimingPanel, LoadRefusalsAndSilentEnds) {
  struct Case {
    const char* name;
    bool acquisition;
    bool cancel;
    bool exists;
    std::vector<std::string> messages;
    int dialogs;
  };
  const Case cases[] = {
      {"acquisition running", true, false, true, {kStopAcquisitionFirstText}, 0},
      {"dialog cancelled", false, true, true, {}, 1},
      {"file missing", false, false, false, {}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Panel p;
    if (c.acquisition) p.form.design().RadioGroup1_acquisition->click();
    p.form.link().append_track_lines({"live", "entries"});
    const QString path = c.exists ? p.srt("f.srt") : QDir(p.dir.path()).filePath("absent.srt");
    p.load(c.cancel ? QString() : path);
    EXPECT_EQ(p.prompter.texts(), c.messages);
    EXPECT_EQ(p.dialogs, c.dialogs);
    EXPECT_EQ(lines_of(p.form.design().Memo5), (std::vector<std::string>{"live", "entries"}));
    EXPECT_EQ(p.rp().Label28->text(), QStringLiteral("fichier"));
    EXPECT_EQ(p.form.retiming_tool().has_chosen_file(), !c.acquisition && !c.cancel);
  }
}

TEST(RetimingPanel, LoadDuringAnAcquisitionLeavesTheBoardPolling) {
  SimOptions o;
  o.period_ms = 20;
  o.boot_ms = 100;
  SimBoard board;
  std::atomic<bool> stop{false};
  std::thread t([&] { board.run(o, stop); });
  {
    Panel p({board.slave_path()});
    ASSERT_TRUE(wait_until([&] { return p.form.link().polling(); }));
    p.form.design().RadioGroup1_acquisition->click();
    p.load(p.srt("f.srt"));
    EXPECT_TRUE(p.form.link().polling());
    EXPECT_EQ(p.prompter.texts(), std::vector<std::string>{kStopAcquisitionFirstText});
    // Once stopped, the load closes the link before the file replaces the track.
    p.form.design().RadioGroup1_stop->click();
    p.load(p.srt("f.srt"));
    EXPECT_FALSE(p.form.link().polling());
    EXPECT_EQ(lines_of(p.form.design().Memo5), kTrack);
  }
  stop = true;
  t.join();
}

TEST(RetimingPanel, ScaleAppendsTheScaledTrackAndShowsTheFactor) {
  Panel p;
  p.load(p.srt("f.srt"));
  p.rp().Edit_temps_avi->setText("12:30");
  p.rp().Edit_temps_srt->setText("00:12:00,000");
  p.rp().Button_calcul->click();
  EXPECT_EQ(p.prompter.texts(),
            std::vector<std::string>{"if faut multiplier SRT par : 1,04166666666667\nt1 avi = 750\nt2 srt = 720"});
  const std::vector<std::string> scaled = {"1", "00:00:05,208 --> 00:00:06,250", "\xa0\xa0 1,00m",      "",
                                           "2", "00:00:06,250 --> 00:00:08,854", "\xa0\xa0 2,00m",      "",
                                           "7", "00:00:08,854 --> 00:00:09,375", "\xa0\xa0 3,00m \xe9", ""};
  EXPECT_EQ(lines_of(p.form.design().Memo6), scaled);
  EXPECT_FALSE(p.form.design().Memo6->isHidden());
  // A second press appends another copy; the source is left as it was.
  p.rp().Button_calcul->click();
  std::vector<std::string> twice = scaled;
  twice.insert(twice.end(), scaled.begin(), scaled.end());
  EXPECT_EQ(lines_of(p.form.design().Memo6), twice);
  EXPECT_EQ(lines_of(p.form.design().Memo5), kTrack);
}

TEST(RetimingPanel, ZeroSubtitleDurationIsReportedAndTouchesNothing) {
  struct Case {
    const char* avi;
    const char* text;
  };
  const Case cases[] = {{"12:30", kDivisionByZeroText}, {"0", kInvalidFloatOperationText}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.avi);
    Panel p;
    p.load(p.srt("f.srt"));
    p.form.design().Memo6->setPlainText("kept");
    p.rp().Edit_temps_avi->setText(c.avi);
    p.rp().Edit_temps_srt->setText("00:00:00,000");
    p.rp().Button_calcul->click();
    EXPECT_EQ(p.prompter.texts(), std::vector<std::string>{c.text});
    EXPECT_EQ(p.form.design().Memo6->toPlainText(), QStringLiteral("kept"));
  }
}

TEST(RetimingPanel, T0ResetMovesToZeroAddsTheOffsetAndRenumbers) {
  struct Case {
    const char* offset;
    const char* shown;
    std::vector<std::string> times;
  };
  const Case cases[] = {
      {"", "0", {"00:00:00,000 --> 00:00:01,000", "00:00:01,000 --> 00:00:03,500", "00:00:03,500 --> 00:00:04,000"}},
      {"1.5",
       "1,5",
       {"00:00:00,000 --> 00:00:02,500", "00:00:02,500 --> 00:00:05,000", "00:00:05,000 --> 00:00:05,500"}},
      {"1,5",
       "1,5",
       {"00:00:00,000 --> 00:00:02,500", "00:00:02,500 --> 00:00:05,000", "00:00:05,000 --> 00:00:05,500"}},
      // Times under the offset's size keep their value; no entry ends before it starts.
      {"-2", "-2", {"00:00:00,000 --> 00:00:01,000", "00:00:01,000 --> 00:00:01,500", "00:00:01,500 --> 00:00:02,000"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    Panel p;
    p.load(p.srt("f.srt"));
    p.rp().Edit_decalage->setText(c.offset);
    p.rp().Button_t0->click();
    EXPECT_EQ(p.prompter.texts(),
              (std::vector<std::string>{"00:00:05,000 --> 00:00:06,000\ndt= 5", std::string("d\xe9"
                                                                                            "calage = ") +
                                                                                    c.shown}));
    const std::vector<std::string> expected = {"1", c.times[0], ",, 1,00m",      "", "2", c.times[1], ",, 2,00m", "",
                                               "3", c.times[2], ",, 3,00m \xe9", ""};
    EXPECT_EQ(lines_of(p.form.design().Memo6), expected);
    // Pressed again it replaces its output instead of appending.
    p.rp().Button_t0->click();
    EXPECT_EQ(lines_of(p.form.design().Memo6), expected);
  }
}

TEST(RetimingPanel, T0ResetWithAnUnreadableOffsetStopsBeforeTheLines) {
  Panel p;
  p.load(p.srt("f.srt"));
  p.form.design().Memo6->setPlainText("before");
  p.rp().Edit_decalage->setText("deux");
  p.rp().Button_t0->click();
  // The offset's box never comes: the conversion error ends the reset.
  EXPECT_EQ(p.prompter.texts(),
            (std::vector<std::string>{"00:00:05,000 --> 00:00:06,000\ndt= 5",
                                      "'deux' n'est pas une valeur en virgule flottante correcte"}));
  EXPECT_TRUE(p.form.design().Memo6->toPlainText().isEmpty());
}

TEST(RetimingPanel, SaveWritesBesideTheFileWithHandEditsInCp1252AndCrLf) {
  Panel p;
  const QString path = p.srt("forage1.srt");
  p.load(path);
  p.rp().Button_t0->click();
  p.prompter.clear();
  p.form.design().Memo6->appendPlainText(QStringLiteral("corrigé à la main"));
  p.rp().Button7->click();
  const QString out = QDir(p.dir.path()).filePath("_forage1.srt");
  ASSERT_EQ(p.prompter.texts().size(), 1u);
  EXPECT_EQ(to_qt(p.prompter.texts()[0]), QDir::toNativeSeparators(out));
  const std::string bytes = read_file(out);
  EXPECT_NE(bytes.find("00:00:00,000 --> 00:00:01,000\r\n"), std::string::npos);
  EXPECT_NE(bytes.find(",, 3,00m \xe9\r\n"), std::string::npos);
  EXPECT_TRUE(bytes.ends_with("\r\ncorrig\xe9 \xe0 la main\r\n")) << bytes;
  EXPECT_EQ(bytes.find("\n\n"), std::string::npos);  // every line ends with CR LF
  EXPECT_EQ(read_file(path), crlf_bytes(kTrack));    // the source is untouched
}

TEST(RetimingPanel, SaveWithNoFileChosenWritesNothing) {
  Panel p;
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(p.dir.path()));
  p.form.link().set_track_lines(kTrack);  // a recorded track, never loaded from a file
  p.rp().Button_t0->click();
  p.prompter.clear();
  p.rp().Button7->click();
  QDir::setCurrent(previous);
  EXPECT_EQ(p.prompter.texts(), std::vector<std::string>{kNoFileChosenText});
  EXPECT_TRUE(QDir(p.dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
  EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/_")));
}

TEST(RetimingPanel, MissingFileChosenThenSaveWritesBesideThatName) {
  Panel p;
  const QString path = QDir(p.dir.path()).filePath("nouveau.srt");
  p.load(path);
  p.form.design().Memo6->setPlainText("a\nb");
  p.rp().Button7->click();
  EXPECT_EQ(read_file(QDir(p.dir.path()).filePath("_nouveau.srt")), "a\r\nb\r\n");
}

}  // namespace
}  // namespace wellvue
