#include <gtest/gtest.h>

#include <string>

#include "link_rig.h"
#include "util/conversion_error.h"
#include "util/decimal_separator.h"

namespace wellvue::test {
namespace {

class Zeroing : public ::testing::TestWithParam<char> {
 protected:
  void SetUp() override {
    set_decimal_separator(GetParam());
    ASSERT_TRUE(rig.open());
  }
  LinkRig rig;
};

INSTANTIATE_TEST_SUITE_P(Separators, Zeroing, ::testing::Values(',', '.'),
                         [](const auto& info) { return info.param == ',' ? "comma" : "point"; });

TEST_P(Zeroing, CurbZeroWritesItsEntryAndZeroesTheDepth) {
  rig.send_count(300);
  rig.link.state().start_depth_cm = 250;
  rig.link.state().previous_time_code = "00:00:04,000";
  rig.link.state().entry_number = 0;
  rig.link.state().time_origin_ms = 0;
  rig.clock.set(7500);
  rig.link.fields().Label22 = "250 cm";
  rig.prompter.add_answer(true);
  rig.link.SpeedButton1Click();
  ASSERT_EQ(rig.prompter.texts().back(), "Mettre \xE0 z\xE9ro le niveau de la margelle ? (250 cm)");
  const std::string text = "margelle a zero...." + std::string(23, ' ') + dec(" 2.50 m", GetParam());
  const auto t = rig.memo(Memo::Memo5);
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0], "1");
  EXPECT_EQ(t[1], "00:00:04,000 --> 00:00:07,500");
  EXPECT_EQ(t[2], text);
  EXPECT_EQ(rig.view.texts[Control::MainLabel2], text);
  EXPECT_EQ(rig.link.state().curb_zero, 300);
  EXPECT_EQ(rig.link.state().previous_time_code, "00:00:07,500");
  rig.send("300| \r\n");  // the same count again, in a burst that differs from the last
  EXPECT_EQ(rig.view.texts[Control::LinkLabel18], dec("2.50m      ---", GetParam()));
}

TEST_P(Zeroing, AnswerNoChangesNothing) {
  rig.send_count(40);
  rig.prompter.add_answer(false);
  rig.link.SpeedButton1Click();
  rig.prompter.add_answer(false);
  rig.link.SpeedButton2Click();
  EXPECT_EQ(rig.link.state().curb_zero, 0);
  EXPECT_EQ(rig.link.state().water_zero, -1);
  EXPECT_TRUE(rig.memo(Memo::Memo5).empty());
}

TEST_P(Zeroing, WaterZeroThenSameCountShowsZeroBelowWater) {
  rig.send_count(120);
  rig.prompter.add_answer(true);
  rig.link.SpeedButton2Click();
  const std::string text = "niveau d'eau a zero...(w)" + std::string(10, ' ') + dec("2.02m", GetParam()) + " w 0.00m";
  EXPECT_EQ(rig.view.texts[Control::MainLabel2], text);
  EXPECT_EQ(rig.link.state().water_zero, 120);
  rig.send("120| \r\n");
  EXPECT_EQ(rig.view.texts[Control::LinkLabel18], dec("2.02m    w_0.00m", GetParam()));
  rig.send_count(120 + 24);
  EXPECT_EQ(rig.view.texts[Control::LinkLabel18], dec("2.42m    w_0.40m", GetParam()));
}

TEST_P(Zeroing, CounterResetMessageChangesNoCount) {
  rig.send_count(77);
  rig.link.SpeedButton4Click();
  EXPECT_EQ(rig.prompter.texts().back(),
            " cliquer CloseCom puis OpenCom   ou \n  faire un reset sur la carte Arduino \n\n     un tour = 24 "
            "secteurs de 15\xB0");
  EXPECT_EQ(rig.link.state().tics, 77);
  EXPECT_EQ(rig.link.state().curb_zero, 0);
}

struct StartDepthCase {
  const char* name;
  std::string typed;
  int cm;               // start depth afterwards
  std::string shown;    // "" when refused
  std::string message;  // box text, or error text
};

TEST(StartDepth, FromTheField) {
  const StartDepthCase cases[] = {
      {"list_item", "150 cm", 150, "150 cm", ""},
      {"negative", "-20", -20, "-20 cm", ""},
      {"no_digit", "abc", 0, "",
       " valeur erronn\xE9"
       "e : abc"},
      {"decimal", "1.5", 0, "", "'1.5' n'est pas une valeur enti\xE8re correcte"},
      // A letter O for a zero is refused, not read as the digits around it.
      {"letter_in_number", "1O0", 0, "",
       " valeur erronn\xE9"
       "e : 1O0"},
      {"comma_whole", "100,0 cm", 100, "100 cm", ""},
  };
  set_decimal_separator(',');
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LinkRig rig;
    rig.link.fields().ComboBox2 = c.typed;
    try {
      rig.link.ComboBox2Click();
      if (!c.message.empty() && c.shown.empty() && rig.prompter.texts().empty()) ADD_FAILURE() << "no message";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_EQ(rig.link.state().start_depth_cm, c.cm);
    if (!c.shown.empty()) {
      EXPECT_EQ(rig.link.fields().ComboBox2, c.shown);
      EXPECT_EQ(rig.view.texts[Control::LinkLabel22], c.shown);
      EXPECT_EQ(rig.view.texts[Control::MainComboBox1], c.shown);
      EXPECT_EQ(rig.view.texts[Control::MainLabel7], c.shown);
    } else if (!rig.prompter.texts().empty()) {
      EXPECT_EQ(rig.prompter.texts().back(), c.message);
    }
  }
}

TEST(StartDepth, EnterLeavesTheFieldAsTyped) {
  LinkRig rig;
  rig.link.fields().ComboBox2 = "  50 cm ";
  rig.link.ComboBox2Enter();
  EXPECT_EQ(rig.link.state().start_depth_cm, 50);
  EXPECT_EQ(rig.link.fields().ComboBox2, "  50 cm ");
  EXPECT_EQ(rig.view.texts[Control::LinkLabel22], "50 cm");
}

struct CalibrationCase {
  const char* name;
  Sender start_sender, stop_sender;
  int from, to;        // counts at start and stop
  std::string length;  // Edit_longueur of the stop sender's window
  std::string circ;    // result, "" when refused
  std::string message;
};

TEST(Calibration, StartAndStopOverTheBoard) {
  const CalibrationCase cases[] = {
      {"forward", Sender::LinkWindow, Sender::LinkWindow, 1000, 1297, "5", " 404", ""},
      {"backward", Sender::LinkWindow, Sender::LinkWindow, 1000, 703, "5", " 404", ""},
      {"link_start_main_stop", Sender::LinkWindow, Sender::MainWindow, 0, 297, "5", " 404", ""},
      {"no_rotation", Sender::MainWindow, Sender::MainWindow, 50, 50, "5", "",
       "rotation non d\xE9tect\xE9"
       "e..."},
      {"no_length", Sender::LinkWindow, Sender::LinkWindow, 0, 100, "m", "",
       "rotation non d\xE9tect\xE9"
       "e..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LinkRig rig;
    ASSERT_TRUE(rig.open());
    rig.send_count(c.from);
    rig.link.BitBtn_startClick(c.start_sender);
    EXPECT_EQ(rig.view.texts[Control::LinkLabelTic], "0");
    const bool main_start = c.start_sender == Sender::MainWindow;
    EXPECT_FALSE(main_start ? rig.link.main_fields().BitBtn_start_enabled : rig.link.fields().BitBtn_start_enabled);
    if (c.to != c.from) rig.send_count(c.to);
    EXPECT_EQ(rig.view.texts[Control::MainLabelTic], std::to_string(c.to - c.from));
    (c.stop_sender == Sender::MainWindow ? rig.link.main_fields().Edit_longueur : rig.link.fields().Edit_longueur) =
        c.length;
    rig.link.BitBtn_stopClick(c.stop_sender);
    if (c.circ.empty()) {
      EXPECT_EQ(rig.prompter.texts().back(), c.message);
      EXPECT_EQ(rig.link.fields().Edit_circ, "404");  // unchanged
      continue;
    }
    EXPECT_EQ(rig.link.fields().Edit_circ, c.circ);
    EXPECT_EQ(rig.link.main_fields().Edit_circ, c.circ);
    // The stop puts both windows' buttons back to idle.
    EXPECT_TRUE(rig.link.fields().BitBtn_start_enabled);
    EXPECT_FALSE(rig.link.fields().BitBtn_stop_enabled);
    EXPECT_TRUE(rig.link.main_fields().BitBtn_start_enabled);
    EXPECT_FALSE(rig.link.main_fields().BitBtn_stop_enabled);
    // The next line uses the new circumference (the text with its leading blank converts).
    rig.send_count(c.to + 24);
    EXPECT_TRUE(rig.errors.empty());
  }
}

TEST(Calibration, ManualValidation) {
  set_decimal_separator(',');
  LinkRig rig;
  rig.link.main_fields().Edit_circ = "402.5";
  rig.link.BitBtn_manuClick(Sender::MainWindow);
  EXPECT_EQ(rig.link.fields().Edit_circ, "402,5");
  EXPECT_EQ(rig.view.texts[Control::LinkEditCirc], "402,5");
  rig.link.fields().Edit_circ = "4-04";
  rig.link.BitBtn_manuClick(Sender::LinkWindow);
  EXPECT_EQ(rig.prompter.texts().back(), "valeur num\xE9rique invalide... 4-04");
  EXPECT_EQ(rig.link.main_fields().Edit_circ, "402,5");
}

// A circumference far from the one in use (a wheel seven times the usual) is asked about first,
// whether typed or measured; one close to it is taken at once.
TEST(Calibration, AFarCircumferenceIsAskedAbout) {
  struct Case {
    const char* name;
    bool measured;       // by a run over 5 m, else typed
    int tics;            // of the run
    const char* typed;   // by hand
    bool answer;         // to the question, when asked
    bool asked;
    const char* result;  // the link window's circumference after
  };
  const Case cases[] = {
      {"typed close", false, 0, "410", false, false, "410"},
      {"typed far, refused", false, 0, "2927", false, true, "404"},
      {"typed far, confirmed", false, 0, "2927", true, true, "2927"},
      {"measured far, refused", true, 41, "", false, true, "404"},
      {"measured far, confirmed", true, 41, "", true, true, " 2927"},
      {"measured close", true, 300, "", false, false, " 400"},
  };
  set_decimal_separator('.');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LinkRig rig;
    rig.prompter.add_answer(c.answer);
    if (c.measured) {
      ASSERT_TRUE(rig.open());
      rig.send_count(100);
      rig.link.BitBtn_startClick(Sender::MainWindow);
      rig.send_count(100 + c.tics);
      rig.link.BitBtn_stopClick(Sender::MainWindow);
      // Taken or refused, the run is over.
      EXPECT_TRUE(rig.link.main_fields().BitBtn_start_enabled);
    } else {
      rig.link.main_fields().Edit_circ = c.typed;
      rig.link.BitBtn_manuClick(Sender::MainWindow);
    }
    const bool asked = !rig.prompter.texts().empty() &&
                       rig.prompter.texts().back().rfind("La circonf\xE9rence de ", 0) == 0;
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(rig.link.fields().Edit_circ, c.result);
  }
}

}  // namespace
}  // namespace wellvue::test
