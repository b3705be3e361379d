#include "app/main_window/image_button.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

namespace wellvue {
namespace {

struct PressCase {
  const char* name;
  int presses;
  int releases;
  QPoint expected;  // from the designed (10, 20)
  ImageButton::InnerBevel bevel;
};

class PressRelease : public ::testing::TestWithParam<PressCase> {};

TEST_P(PressRelease, MovesTwoPixelsAndBackOnce) {
  const PressCase c = GetParam();
  QWidget host;
  ImageButton b("x", &host);
  b.setGeometry(10, 20, 100, 40);
  for (int i = 0; i < c.presses; ++i) b.press();
  for (int i = 0; i < c.releases; ++i) b.release();
  EXPECT_EQ(b.pos(), c.expected) << c.name;
  EXPECT_EQ(b.inner_bevel(), c.bevel) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PressRelease,
    ::testing::Values(PressCase{"press", 1, 0, {12, 22}, ImageButton::InnerBevel::Space},
                      PressCase{"press release", 1, 1, {10, 20}, ImageButton::InnerBevel::None},
                      // A second press (another mouse button) does not push the panel further.
                      PressCase{"two presses", 2, 0, {12, 22}, ImageButton::InnerBevel::Space},
                      PressCase{"two presses two releases", 2, 2, {10, 20}, ImageButton::InnerBevel::None},
                      // A release that a dialog already did does not pull the panel away.
                      PressCase{"release only", 0, 1, {10, 20}, ImageButton::InnerBevel::None},
                      PressCase{"press, two releases", 1, 2, {10, 20}, ImageButton::InnerBevel::None}));

TEST(ImageButtonState, EnabledIsTheCaptionColour) {
  ImageButton b("x");
  b.set_font_colour(ImageButton::disabled_colour());
  EXPECT_FALSE(b.is_enabled_button());
  b.set_font_colour(QColor(0, 0, 0));
  EXPECT_TRUE(b.is_enabled_button());
  // Any colour but the disabled one enables, also a near miss.
  QColor near = ImageButton::disabled_colour();
  near.setBlue(near.blue() - 1);
  b.set_font_colour(near);
  EXPECT_TRUE(b.is_enabled_button());
}

TEST(ImageButtonInput, IconAndPanelReportTheirMouse) {
  QWidget host;
  auto* b = new ImageButton("   cam", &host);
  b->setGeometry(0, 0, 200, 42);
  ButtonIcon* icon = b->add_icon(":/main_window/icons/choix_cam.svg", "Image_x");
  host.show();
  QSignalSpy panel_down(b, &ImageButton::mouse_down);
  QSignalSpy icon_down(icon, &ButtonIcon::mouse_down);
  QSignalSpy icon_up(icon, &ButtonIcon::mouse_up);
  QTest::mousePress(icon, Qt::RightButton, {}, QPoint(5, 5));
  QTest::mouseRelease(icon, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(icon_down.count(), 1);
  EXPECT_EQ(icon_up.count(), 1);
  EXPECT_EQ(panel_down.count(), 0);  // the icon's press is the form's to forward
  EXPECT_EQ(icon->button(), b);
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(150, 20));
  EXPECT_EQ(panel_down.count(), 1);
}

}  // namespace
}  // namespace wellvue
