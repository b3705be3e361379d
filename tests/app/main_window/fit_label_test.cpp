// The depth line of the bottom bar keeps long texts whole by drawing them smaller.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "app/main_window/fit_label.h"
#include "form_fixture.h"

namespace wellvue {
namespace {

struct FitCase {
  const char* name;
  std::string text;
  bool full_size;  // short enough for the designed 40 pixels whatever the font
};

class DepthLine : public ::testing::TestWithParam<FitCase> {};

TEST_P(DepthLine, FitsTheBottomBar) {
  FormFixture f;
  auto* label = qobject_cast<FitLabel*>(f.form->Label2);
  ASSERT_NE(label, nullptr);
  label->setText(QString::fromStdString(GetParam().text));
  const int size = label->fitted_pixel_size();
  if (GetParam().full_size) {
    EXPECT_EQ(size, 40);
  }
  QFont font = label->font();
  font.setPixelSize(size);
  if (size > FitLabel::kSmallestPixelSize) {
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(label->text()), label->contentsRect().width());
  }
  // The depth line never runs under the status text.
  EXPECT_LE(label->geometry().right(), f.form->Label5->x());
}

INSTANTIATE_TEST_SUITE_P(
    BottomBar, DepthLine,
    ::testing::Values(FitCase{"Depth", "12.34m      ---", true},
                      FitCase{"CurbZero", "margelle a zero...." + std::string(23, ' ') + " 0.50 m", false},
                      FitCase{"WaterZero", "niveau d'eau a zero...(w)" + std::string(10, ' ') + "3.20m w 0.00m", false},
                      FitCase{"VeryLong", std::string(120, 'm'), false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wellvue
