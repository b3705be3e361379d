#include "app/main_window/layout_rules.h"

#include <algorithm>
#include <numeric>

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

SideWidths side_widths_keeping_left(int window_width, int video_height, Aspect aspect, int least_left) {
  SideWidths s = side_widths(window_width, video_height, aspect);
  if (s.left < least_left) s.left = least_left;
  return s;
}

Box fitted_window(Box available, int frame_width, int frame_height, int design_width, int design_height) {
  const double room_w = std::max(1, available.width - frame_width);
  const double room_h = std::max(1, available.height - frame_height);
  const double scale = std::min({1.0, room_w / design_width, room_h / design_height});
  Box b;
  b.width = std::max(1, static_cast<int>(design_width * scale));
  b.height = std::max(1, static_cast<int>(design_height * scale));
  b.x = available.x + std::max(0, (available.width - b.width - frame_width) / 2);
  b.y = available.y + std::max(0, (available.height - b.height - frame_height) / 2);
  return b;
}

Box aspect_box(int width, int height, Aspect aspect) {
  Box b;
  if (width <= 0 || height <= 0 || aspect.w <= 0 || aspect.h <= 0) return b;
  // Integer products: the box has the aspect to the pixel, whichever side limits it.
  if (static_cast<long long>(width) * aspect.h <= static_cast<long long>(height) * aspect.w) {
    b.width = width;
    b.height = static_cast<int>(static_cast<long long>(width) * aspect.h / aspect.w);
  } else {
    b.height = height;
    b.width = static_cast<int>(static_cast<long long>(height) * aspect.w / aspect.h);
  }
  b.x = (width - b.width) / 2;
  b.y = (height - b.height) / 2;
  return b;
}

std::vector<Span> compacted_column(const std::vector<Span>& design, int design_height, int room) {
  std::vector<Span> out = design;
  if (room >= design_height || design.empty()) return out;
  room = std::max(room, 0);
  std::vector<std::size_t> order(design.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return design[a].top < design[b].top; });

  // The empty space above each control, counted from the column's top; controls that overlap the
  // ones above them add none.
  std::vector<int> gap_before(design.size());
  int cursor = 0;
  int gaps = 0;
  for (std::size_t i : order) {
    gaps += std::max(0, design[i].top - cursor);
    gap_before[i] = gaps;
    cursor = std::max(cursor, design[i].top + design[i].height);
  }
  gaps += std::max(0, design_height - cursor);

  const int excess = design_height - room;
  if (gaps >= excess) {
    for (std::size_t i = 0; i < design.size(); ++i)
      // Rounded up, so that the last control ends inside the room.
      out[i].top = design[i].top - static_cast<int>((static_cast<long long>(gap_before[i]) * excess + gaps - 1) / gaps);
    return out;
  }
  // No space left between them: the controls themselves get shorter.
  const int content = design_height - gaps;
  for (std::size_t i = 0; i < design.size(); ++i) {
    const int top = design[i].top - gap_before[i];
    out[i].top = static_cast<int>(static_cast<long long>(top) * room / content);
    out[i].height = std::max(1, static_cast<int>(static_cast<long long>(design[i].height) * room / content));
  }
  return out;
}

}  // namespace wellvue
