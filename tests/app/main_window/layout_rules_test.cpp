#include "app/main_window/layout_rules.h"

#include <gtest/gtest.h>

namespace wellvue {
namespace {

struct CentringCase {
  int width;
  int length;
  int left;
};

class CentringRule : public ::testing::TestWithParam<CentringCase> {};

TEST_P(CentringRule, TextStartsWhereTheRuleSays) {
  const CentringCase c = GetParam();
  EXPECT_EQ(centred_edit_left(c.width, c.length), c.left);
}

INSTANTIATE_TEST_SUITE_P(Cases, CentringRule,
                         ::testing::Values(CentringCase{200, 8, 68},  // (2000 - 630) / 20 = 68.5 truncated
                                           CentringCase{60, 1, 23},   // (600 - 140) / 20
                                           CentringCase{70, 3, 21},   // "405" in the circumference frame
                                           CentringCase{155, 0, 74},  // empty text: 7 px
                                           CentringCase{60, 8,
                                                        3},  // (600 - 630) / 20 = -1 (truncated toward zero) -> 3
                                           CentringCase{60, 7, 2},     // exactly (600 - 560) / 20 = 2, not negative
                                           CentringCase{62, 8, 0},     // -10 / 20 truncates to 0, which is not negative
                                           CentringCase{20, 40, 3}));  // far too long

struct SideCase {
  const char* aspect;
  int window_width;
  int video_height;
  int right;
  int left;
  int video;
};

class SideWidthsRule : public ::testing::TestWithParam<SideCase> {};

TEST_P(SideWidthsRule, PanelsAroundTheVideo) {
  const SideCase c = GetParam();
  const SideWidths s = side_widths(c.window_width, c.video_height, aspect_from_text(c.aspect));
  EXPECT_EQ(s.video, c.video);
  EXPECT_EQ(s.right, c.right);
  EXPECT_EQ(s.left, c.left);
}

INSTANTIATE_TEST_SUITE_P(Aspects, SideWidthsRule,
                         ::testing::Values(
                             // Wide window: equal sides.
                             SideCase{"4:3", 1900, 747, 452, 452, 996}, SideCase{"3:2", 1900, 747, 390, 390, 1120},
                             SideCase{"16:9", 1900, 747, 286, 286, 1328}, SideCase{"1:1", 1900, 747, 576, 576, 747},
                             // The designed window: the right panel keeps 230, the left takes the rest.
                             SideCase{"4:3", 1321, 747, 230, 95, 996}, SideCase{"1:1", 1321, 747, 287, 287, 747},
                             // 3:2 at the designed size leaves nothing for the left panel, never a negative width.
                             SideCase{"3:2", 1321, 747, 230, 0, 1120},
                             // Side of exactly 230 is "230 or less".
                             SideCase{"1:1", 1208, 748, 230, 230, 748},
                             // Odd difference: the halving truncates.
                             SideCase{"1:1", 1000, 499, 250, 250, 499},
                             // Unknown aspect counts as 4:3.
                             SideCase{"5:4", 1321, 747, 230, 95, 996},
                             // Narrow window.
                             SideCase{"4:3", 400, 300, 230, 0, 400}, SideCase{"4:3", 700, 300, 230, 70, 400}));

}  // namespace
}  // namespace wellvue
