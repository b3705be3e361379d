#include "app/main_window/layout_rules.h"

namespace wellvue {

Aspect aspect_from_text(std::string_view text) {
  if (text == "3:2") return {3, 2};
  if (text == "16:9") return {16, 9};
  if (text == "1:1") return {1, 1};
  return {4, 3};
}

int centred_edit_left(int width, int text_length) {
  const int left = (width * 10 - (text_length + 1) * 70) / 20;
  return left < 0 ? 3 : left;
}

SideWidths side_widths(int window_width, int video_height, Aspect aspect) {
  constexpr int kNarrowRight = 230;
  SideWidths s;
  s.video = aspect.w * video_height / aspect.h;
  const int side = (window_width - s.video) / 2;
  if (side > kNarrowRight) {
    s.right = side;
    s.left = side;
  } else {
    s.right = kNarrowRight;
    // A window too narrow even for the right panel leaves the left panel empty, not negative.
    const int rest = window_width - kNarrowRight - s.video;
    s.left = rest < 0 ? 0 : rest;
  }
  return s;
}

}  // namespace wellvue
