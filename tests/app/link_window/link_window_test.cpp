// The link window against the simulated encoder board on a pseudo-terminal: the open in the
// background with its banners, the depth on the main window, the port scan, "Options avancées",
// and a board whose every line fails to convert.
#include <gtest/gtest.h>
#include <QApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/link_window/port_scan.h"
#include "app/link_window/settings_host.h"
#include "app/link_window/tform1.h"
#include "app/services/handler_boundary.h"
#include "fake_main_window.h"
#include "sim_board.h"
#include "util/cp1252.h"
#include "util/decimal_separator.h"
#include "util/scripted_prompter.h"

namespace wellvue {
namespace {

using testing::FakeMainWindow;
using testing::wait_until;

// A simulated board that runs on its own thread for the test's life.
class RunningBoard {
 public:
  explicit RunningBoard(SimOptions options) {
    thread_ = std::thread([this, options] { board_.run(options, stop_); });
  }
  ~RunningBoard() {
    stop_ = true;
    thread_.join();
  }
  const std::string& path() const { return board_.slave_path(); }

 private:
  SimBoard board_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

SimOptions counting(int period_ms, long long start) {
  SimOptions o;
  o.period_ms = period_ms;
  o.start = start;
  o.boot_ms = 100;
  return o;
}

QStringList lines_of(QPlainTextEdit* memo) { return memo->toPlainText().split('\n'); }
QStringList lines_of(const LinesView* column) {
  QStringList lines;
  for (std::size_t i = 0; i < column->line_count(); ++i) lines << column->line_text(i);
  return lines;
}

struct Station {
  Station(std::vector<std::string> ports, Prompter& prompter, HandlerBoundary* boundary = nullptr,
          std::function<bool(const std::string&)> is_free = {}, std::vector<SerialPortInfo> devices = {})
      : host(&main.window),
        form(&main.window, prompter, options(std::move(ports), boundary, std::move(is_free), std::move(devices))) {}
  LinkWindowOptions options(std::vector<std::string> ports, HandlerBoundary* boundary,
                            std::function<bool(const std::string&)> is_free, std::vector<SerialPortInfo> devices) {
    LinkWindowOptions o;
    o.main_controls = main.controls();
    o.boundary = boundary;
    o.settings = &host;
    o.executable_path = QDir(dir.path()).filePath("wellvue");
    o.system_ports = [ports] { return ports; };
    if (!devices.empty()) o.serial_devices = [devices] { return devices; };
    o.port_is_free = std::move(is_free);
    o.end_process = [](int) { ADD_FAILURE() << "the process would end"; };
    return o;
  }
  QTemporaryDir dir;
  FakeMainWindow main;
  PlainSettingsHost host;
  TForm1 form;
};

TEST(LinkWindow, OpensInTheBackgroundAndTheDepthReachesTheMainWindow) {
  set_decimal_separator('.');
  RunningBoard board(counting(20, 240));
  ScriptedPrompter prompter;
  Station s({board.path()}, prompter);
  // The creation has returned while the port is still opening: the window was never frozen.
  EXPECT_TRUE(s.form.opening());
  EXPECT_FALSE(s.form.link().polling());
  ASSERT_TRUE(wait_until([&] { return s.form.link().polling(); }));
  EXPECT_FALSE(s.form.opening());

  const TForm1& f = s.form;
  EXPECT_TRUE(lines_of(s.form.design().Memo3).contains("  1 =============="));
  EXPECT_TRUE(lines_of(s.form.design().Memo1).contains("== O P E N ========== 1"));
  EXPECT_EQ(s.form.design().Label2->text().toStdString(), "<" + board.path() + "> : 9600,N,8,1");
  EXPECT_EQ(s.main.Panel_open_com->text().toStdString(), "Port " + board.path());
  EXPECT_EQ(s.main.Label5->text(), QString());
  // FormCreate's last steps ran once the open was over.
  EXPECT_EQ(s.form.design().ComboBox2->count(), 6);
  EXPECT_EQ(s.form.design().Label22->text(), QStringLiteral("0 cm"));
  EXPECT_TRUE(s.form.design().Memo7->toPlainText().isEmpty());
  (void)f;

  // Counting from 240 with the 405 mm wheel of the default settings: 4.05 m and more.
  const QRegularExpression depth(QStringLiteral("^(\\d+)\\.(\\d\\d)m      ---$"));
  ASSERT_TRUE(wait_until([&] {
    const auto m = depth.match(s.main.Label2->text());
    return m.hasMatch() && m.captured(1).toInt() * 100 + m.captured(2).toInt() >= 405;
  })) << s.main.Label2->text().toStdString();
  EXPECT_TRUE(depth.match(s.form.design().Label18->text()).hasMatch());

  // A second "OpenCom" reopens, with its own banner, and clears the subtitle buffer.
  s.form.link().set_track_lines({"1", "old"});
  bool done = false;
  s.form.Button1Click([&](bool) { done = true; });
  ASSERT_TRUE(wait_until([&] { return done; }));
  EXPECT_TRUE(s.form.link().polling());
  EXPECT_TRUE(lines_of(s.form.design().Memo3).contains("  2 =============="));
  EXPECT_EQ(s.form.design().Memo5->line_count(), 0u);
  EXPECT_TRUE(prompter.texts().empty());
}

TEST(LinkWindow, AnAcquisitionStartedThroughTheLinkShowsOnTheSwitchAndFillsTheTrack) {
  RunningBoard board(counting(20, 0));
  ScriptedPrompter prompter;
  Station s({board.path()}, prompter);
  ASSERT_TRUE(wait_until([&] { return s.form.link().polling(); }));
  s.form.link().RadioGroup1Click(0);  // as the recording workflow does
  ASSERT_TRUE(wait_until([&] { return s.form.design().RadioGroup1_acquisition->isChecked(); }));
  ASSERT_TRUE(wait_until([&] { return s.form.design().Memo5->line_count() >= 8; }));
  // The widget shows the link's track line for line.
  const LinesView& shown = *s.form.design().Memo5;
  const auto& track = s.form.link().track();
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(shown.line_text(i).toStdString(), cp1252_to_utf8(track[i]));
  // And the operator's click goes the other way.
  s.form.design().RadioGroup1_stop->click();
  EXPECT_EQ(s.form.link().fields().RadioGroup1, 1);
}

TEST(LinkWindow, CloseDuringTheOpenTakesEffectOnceTheOpenIsOver) {
  RunningBoard board(counting(50, 0));
  ScriptedPrompter prompter;
  Station s({board.path()}, prompter);
  ASSERT_TRUE(s.form.opening());
  s.form.Button2Click();
  ASSERT_TRUE(wait_until([&] { return !s.form.opening() && s.form.design().Label1->text() == "CloseCom"; }));
  EXPECT_FALSE(s.form.link().polling());
  EXPECT_TRUE(lines_of(s.form.design().Memo1).contains("========== c l o s e == 1"));
}

TEST(LinkWindow, AnAbsentStoredPortTracesWithoutABox) {
  ScriptedPrompter prompter;
  Station s({"/dev/wellvue-no-such-port"}, prompter);
  ASSERT_TRUE(wait_until([&] { return !s.form.opening(); }));
  EXPECT_FALSE(s.form.link().polling());
  EXPECT_TRUE(lines_of(s.form.design().Memo3)
                  .contains("ERREUR  OpenCom : port en utilisation ou inexistant  </dev/wellvue-no-such-port>   "));
  EXPECT_TRUE(prompter.texts().empty());  // stored index 0: no box
}

TEST(LinkWindow, ScanTellsFreeFromBusyAndKeepsThePortText) {
  RunningBoard held(counting(50, 0));
  RunningBoard free_board(counting(50, 0));
  ScriptedPrompter prompter;
  Station s({held.path(), free_board.path()}, prompter, nullptr, port_is_free);
  std::vector<std::string> sorted = {held.path(), free_board.path()};
  ASSERT_TRUE(wait_until([&] { return s.form.link().polling(); }));
  // The station holds the first port of the sorted list.
  const std::string mine = s.form.link().fields().ComboBox1_port_com;
  const std::string other = mine == held.path() ? free_board.path() : held.path();
  s.form.Button8Click();
  const QStringList memo = lines_of(s.form.design().Memo7);
  EXPECT_TRUE(memo.contains("--------------------------"));
  EXPECT_TRUE(memo.contains(QString::fromStdString("TEST Open " + mine + " : OCCUPEE")))
      << memo.join('|').toStdString();
  EXPECT_TRUE(memo.contains(QString::fromStdString("TEST Open " + other + " : LIBRE"))) << memo.join('|').toStdString();
  EXPECT_EQ(s.form.design().ComboBox1_port_com->count(), 2);
  EXPECT_EQ(s.form.design().ComboBox1_port_com->currentText().toStdString(), mine);
  EXPECT_EQ(s.form.link().fields().port_items.size(), 2u);
  EXPECT_TRUE(s.form.link().polling());  // the scan leaves the open port alone
  EXPECT_TRUE(prompter.texts().empty());
}

// The list shows each device's stable name with its kernel name and description; the port field
// takes the name alone, which the open and the scan use.
TEST(LinkWindow, PortListShowsStableNamesAndDescriptions) {
  const std::string arduino = "/dev/serial/by-id/usb-Arduino_Uno_8573-if00";
  ScriptedPrompter prompter;
  Station s({}, prompter, nullptr, [](const std::string&) { return false; },
            {{"/dev/ttyS0", "", ""}, {"/dev/ttyACM0", arduino, "Arduino Uno"}});
  ASSERT_TRUE(wait_until([&] { return !s.form.opening(); }));
  QComboBox* list = s.form.design().ComboBox1_port_com;
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->itemText(0).toStdString(), arduino + "  (ttyACM0 : Arduino Uno)");
  EXPECT_EQ(list->itemText(1).toStdString(), "/dev/ttyS0");
  for (int i : {1, 0}) {
    list->setCurrentIndex(i);
    EXPECT_EQ(s.form.link().fields().ComboBox1_port_com, i == 0 ? arduino : "/dev/ttyS0");
    EXPECT_EQ(list->currentText().toStdString(), s.form.link().fields().ComboBox1_port_com);
  }
  s.form.Button8Click();
  EXPECT_TRUE(lines_of(s.form.design().Memo7)
                  .contains(QString::fromStdString("TEST Open " + arduino + " : OCCUPEE  (ttyACM0 : Arduino Uno)")))
      << s.form.design().Memo7->toPlainText().toStdString();
  // The scan refills the list in the system's order, with the same labels.
  const int at = list->findData(QString::fromStdString(arduino));
  ASSERT_GE(at, 0);
  EXPECT_EQ(list->itemText(at).toStdString(), arduino + "  (ttyACM0 : Arduino Uno)");
}

// The board unplugged for real (its pseudo-terminal's master closed), then a new one behind the
// same name: the main window shows the depth as stale and the port as lost until it is back.
TEST(LinkWindow, AnUnpluggedBoardIsShownOnTheMainWindowUntilItIsBack) {
  set_decimal_separator('.');
  QTemporaryDir links;
  const std::string name = QDir(links.path()).filePath("encoder").toStdString();
  auto point_to = [&](const std::string& target) {
    const std::string fresh = name + ".new";
    std::filesystem::create_symlink(target, fresh);
    std::filesystem::rename(fresh, name);
  };
  auto board = std::make_unique<SimBoard>();
  point_to(board->slave_path());
  ScriptedPrompter prompter;
  Station s({name}, prompter);
  ASSERT_TRUE(wait_until([&] { return s.form.link().polling(); }));
  ASSERT_GT(board->write_bytes("240|\r\n"), 0);
  ASSERT_TRUE(wait_until([&] { return s.form.link().state().tics == 240; }));
  const QString depth = s.main.Label2->text();
  const QString port = QString::fromStdString("Port " + name);
  ASSERT_EQ(s.main.Panel_open_com->text(), port);

  board->unplug();
  const QString stale = depth + QString::fromUtf8("   encodeur déconnecté");
  ASSERT_TRUE(wait_until([&] { return s.main.Label2->text() == stale; }, 2000)) << s.main.Label2->text().toStdString();
  // Greyed: what the label paints with, also when it draws its text itself.
  s.main.Label2->ensurePolished();
  EXPECT_EQ(s.main.Label2->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x80));
  QLabel* own_depth = s.form.design().Label18;
  own_depth->ensurePolished();
  EXPECT_EQ(own_depth->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x80));
  EXPECT_EQ(s.main.Panel_open_com->text(), port + QString::fromUtf8(" : déconnecté"));
  EXPECT_TRUE(prompter.texts().empty());  // no box to click away in the field

  board = std::make_unique<SimBoard>();
  point_to(board->slave_path());
  ASSERT_TRUE(wait_until([&] { return !s.form.link().link_lost(); }, 5000));
  EXPECT_EQ(s.main.Panel_open_com->text(), port);
  EXPECT_EQ(s.main.Label2->text(), depth);
  EXPECT_TRUE(s.main.Label2->styleSheet().isEmpty());
  EXPECT_TRUE(own_depth->styleSheet().isEmpty());
  own_depth->ensurePolished();
  EXPECT_NE(own_depth->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x80));
}

TEST(LinkWindow, ScanWithoutPortsSaysSoTwice) {
  ScriptedPrompter prompter;
  Station s({}, prompter, nullptr, [](const std::string&) { return true; });
  ASSERT_TRUE(wait_until([&] { return !s.form.opening(); }));
  prompter.clear();
  s.form.Button8Click();
  EXPECT_TRUE(lines_of(s.form.design().Memo7)
                  .contains(QString::fromUtf8("  Aucune COM est LIBRE ou OCCUPEE , vérifier les branchements")));
  ASSERT_EQ(prompter.texts().size(), 1u);
  EXPECT_EQ(cp1252_to_utf8(prompter.texts()[0]),
            "  Aucune COM disponible, vérifier les branchements ou connecter un appareil \n\n"
            "  et tenter à nouveau sans redémarrer ...");
}

struct AdvancedCase {
  const char* name;
  bool checked;
};

class OptionsAvanceesTest : public ::testing::TestWithParam<AdvancedCase> {};

TEST_P(OptionsAvanceesTest, ShowsTheDiagnosisControlsOrTheScanList) {
  ScriptedPrompter prompter;
  Station s({}, prompter);
  ASSERT_TRUE(wait_until([&] { return !s.form.opening(); }));
  s.form.show();
  s.form.design().CheckBox_options_avancees->setChecked(GetParam().checked);
  s.form.CheckBox_options_avanceesClick();
  const bool v = GetParam().checked;
  for (const char* name : {"Memo1",   "Memo2",  "Memo3",       "Memo4",     "Memo5",     "Memo6",   "Label14",
                           "Label17", "Panel1", "RadioGroup1", "Label22",   "ComboBox2", "Label19", "Label21",
                           "Edit13",  "Edit14", "CheckBox3",   "Button5",   "Label3",    "Label8",  "Label13",
                           "Label27", "Edit6",  "Edit11",      "CheckBox1", "CheckBox2", "Button3", "Button4"}) {
    QWidget* w = s.form.findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_EQ(w->isVisible(), v) << name;
  }
  EXPECT_EQ(s.form.design().Memo7->isVisible(), !v);
  for (const char* always : {"Button1", "Button2", "Button8", "Button9", "Button6", "Label18", "SpeedButton1"}) {
    EXPECT_TRUE(s.form.findChild<QWidget*>(QString::fromLatin1(always))->isVisible()) << always;
  }
  // Hiding and showing the window again keeps the state of the check box.
  s.form.hide();
  s.form.show();
  EXPECT_EQ(s.form.design().Memo1->isVisible(), v);
}

INSTANTIATE_TEST_SUITE_P(States, OptionsAvanceesTest,
                         ::testing::Values(AdvancedCase{"unchecked", false}, AdvancedCase{"checked", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A box that stays open while the event loop runs, as a modal box does, until enough polls failed.
class ModalPrompter : public Prompter {
 public:
  std::function<bool()> close_when;
  std::vector<std::string> boxes;
  void inform(const std::string& text, const std::string&) override {
    boxes.push_back(text);
    if (close_when) wait_until(close_when, 30000);
  }
  bool ask_yes_no(const std::string&, const std::string&) override { return false; }
  bool ask_yes_cancel(const std::string&, const std::string&) override { return false; }
};

TEST(LinkWindow, ABoardRepeatingABadCountShowsOneBoxAndTracesTheRest) {
  set_decimal_separator(',');
  SimOptions o = counting(30, 0);
  o.use_lines = true;
  o.lines = {"1,5|"};
  o.exit_after = 1000000;  // repeats the line (a given count of lines repeats the list)
  RunningBoard board(o);
  ModalPrompter prompter;
  HandlerBoundary boundary(prompter);
  Station s({board.path()}, prompter, &boundary);
  const std::string trace = HandlerBoundary::repeat_trace_line("'1,5' n'est pas une valeur enti\xE8re correcte");
  prompter.close_when = [&] {
    int n = 0;
    for (const QString& l : lines_of(s.form.design().Memo1)) n += l == QString::fromStdString(cp1252_to_utf8(trace));
    return n >= 3;
  };
  ASSERT_TRUE(wait_until([&] { return !prompter.boxes.empty(); }, 30000))
      << lines_of(s.form.design().Memo1).join('\n').right(600).toStdString() << "\n--\n"
      << lines_of(s.form.design().Memo3).join('\n').toStdString();
  // The box has been closed after three more failures were traced; polls went on meanwhile.
  EXPECT_EQ(prompter.boxes.size(), 1u);
  EXPECT_EQ(prompter.boxes[0], "'1,5' n'est pas une valeur enti\xE8re correcte");
  EXPECT_TRUE(prompter.close_when());
  EXPECT_TRUE(s.form.link().polling());
  set_decimal_separator('.');
}

}  // namespace
}  // namespace wellvue
