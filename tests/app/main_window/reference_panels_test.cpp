// The curb panel and the calibration panel of the main window: what each input does to the start
// depth, the curb zero and the panel, and what the calibration buttons forward.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QtTest/QTest>

#include "form_fixture.h"

namespace wellvue {
namespace {

enum class Input { ListItem, Enter, Ok };

struct StartDepthCase {
  const char* name;
  Input input;
  int list_item;            // ListItem: the item chosen
  const char* typed;        // Enter and Ok: the text typed into the box
  std::vector<int> depths;  // start depths written
  const char* label7;       // Label7 afterwards (".. cm": unchanged)
  const char* box;          // the box's text afterwards
  const char* message;      // the one message shown ("" none; "*" the conversion error)
  int curb_zeros;
  bool panel_visible;
};

class StartDepth : public ::testing::TestWithParam<StartDepthCase> {};

TEST_P(StartDepth, SetsTheDepthTheZeroAndThePanelAsTyped) {
  const StartDepthCase& c = GetParam();
  FormFixture f;
  TFormMain& m = *f.form;
  m.Panel_margelle->show();
  QComboBox* box = m.ComboBox1;
  const int items = box->count();
  if (c.input == Input::ListItem) {
    box->setCurrentIndex(c.list_item);
    emit box->activated(c.list_item);
  } else {
    box->lineEdit()->setText(QString::fromUtf8(c.typed));
    if (c.input == Input::Enter) {
      QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    } else {
      QTest::mouseClick(m.BitBtn1, Qt::LeftButton);
    }
  }
  EXPECT_EQ(f.start_depths, c.depths);
  EXPECT_EQ(m.Label7->text(), QString::fromUtf8(c.label7));
  EXPECT_EQ(box->currentText(), QString::fromUtf8(c.box));
  EXPECT_EQ(box->count(), items);  // Enter never adds the typed text to the list
  const std::vector<std::string> texts = f.prompter.texts();
  if (std::string(c.message).empty()) {
    EXPECT_TRUE(texts.empty()) << texts.front();
  } else if (std::string(c.message) == "*") {
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("n'est pas une valeur enti\xE8re correcte"), std::string::npos) << texts[0];
  } else {
    EXPECT_EQ(texts, std::vector<std::string>{c.message});
  }
  EXPECT_EQ(f.curb_zero_nows, c.curb_zeros);
  EXPECT_EQ(f.link_depth_texts.size(), static_cast<std::size_t>(c.curb_zeros));
  if (c.curb_zeros > 0) {
    EXPECT_EQ(f.link_depth_texts.front(), c.label7);
  }
  EXPECT_EQ(m.Panel_margelle->isVisible(), c.panel_visible);
}

INSTANTIATE_TEST_SUITE_P(
    CurbPanel, StartDepth,
    ::testing::Values(
        StartDepthCase{"ListChoice150", Input::ListItem, 4, "", {150}, "150 cm", "150 cm", "", 0, true},
        StartDepthCase{"MinusTwentyEnter", Input::Enter, 0, "-20", {-20}, "-20 cm", "-20 cm", "", 0, true},
        // The whole text must be the number: words around it, or a letter O for a zero, are refused.
        StartDepthCase{"WordsAroundDigitsEnter",
                       Input::Enter,
                       0,
                       "environ 30 cm",
                       {},
                       ".. cm",
                       "environ 30 cm",
                       " valeur erronn\xE9"
                       "e : environ 30 cm",
                       0,
                       true},
        StartDepthCase{"LetterOForZeroEnter",
                       Input::Enter,
                       0,
                       "1O0",
                       {},
                       ".. cm",
                       "1O0",
                       " valeur erronn\xE9"
                       "e : 1O0",
                       0,
                       true},
        StartDepthCase{"NoDigitEnter",
                       Input::Enter,
                       0,
                       "abc",
                       {},
                       ".. cm",
                       "abc",
                       " valeur erronn\xE9"
                       "e : abc",
                       0,
                       true},
        StartDepthCase{"DecimalEnter", Input::Enter, 0, "2.5", {}, ".. cm", "2.5", "*", 0, true},
        StartDepthCase{"MisplacedSignEnter",
                       Input::Enter,
                       0,
                       "1-0",
                       {},
                       ".. cm",
                       "1-0",
                       " valeur erronn\xE9"
                       "e : 1-0",
                       0,
                       true},
        StartDepthCase{"OkTakesDepthAndZero",
                       Input::Ok,
                       0,
                       " 50cm",
                       {50},
                       "50 cm",
                       " 50cm",
                       "",
                       1,
                       false},
        StartDepthCase{"OkWithoutDigitHidesOnly",
                       Input::Ok,
                       0,
                       "abc",
                       {},
                       ".. cm",
                       "abc",
                       " valeur erronn\xE9"
                       "e : abc",
                       0,
                       false},
        StartDepthCase{"OkWithDecimalStaysOpen", Input::Ok, 0, "2,5", {}, ".. cm", "2,5", "*", 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CurbPanel, ExitHidesWithoutTouchingTheDepth) {
  FormFixture f;
  TFormMain& m = *f.form;
  m.Panel_margelle->show();
  m.ComboBox1->setEditText("70");
  QTest::mouseClick(m.BitBtn2, Qt::LeftButton);
  EXPECT_FALSE(m.Panel_margelle->isVisible());
  EXPECT_TRUE(f.start_depths.empty());
  EXPECT_EQ(f.curb_zero_nows, 0);
  EXPECT_EQ(m.ComboBox1->currentText(), "70");  // the panel keeps its contents while hidden
}

TEST(CalibrationPanel, ButtonsForwardWithThisWindowAsSender) {
  FormFixture f;
  TFormMain& m = *f.form;
  m.Panel_calibration->show();
  m.BitBtn_stop->setEnabled(true);  // the link enables it after a start
  for (QPushButton* b : {m.BitBtn_start, m.BitBtn_stop, m.BitBtn_manu}) QTest::mouseClick(b, Qt::LeftButton);
  const std::vector<std::pair<std::string, Sender>> expected = {
      {"start", Sender::MainWindow}, {"stop", Sender::MainWindow}, {"manual", Sender::MainWindow}};
  EXPECT_EQ(f.calibrations, expected);
  QTest::mouseClick(m.BitBtn_esc, Qt::LeftButton);
  EXPECT_FALSE(m.Panel_calibration->isVisible());
}

}  // namespace
}  // namespace wellvue
