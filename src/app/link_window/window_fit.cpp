#include "app/link_window/window_fit.h"

#include <algorithm>

namespace wellvue {
namespace {

// One axis: the client length and the outer start.
std::pair<int, int> fit_axis(int wanted, int frame_before, int frame_after, int start, int room) {
  const int length = std::max(1, std::min(wanted, room - frame_before - frame_after));
  const int outer = length + frame_before + frame_after;
  const int offset = outer < room ? (room - outer) / 2 : 0;
  return {length, start + offset + frame_before};
}

}  // namespace

QRect fit_window(QSize wanted, QMargins frame, QRect available) {
  const auto [w, x] = fit_axis(wanted.width(), frame.left(), frame.right(), available.x(), available.width());
  const auto [h, y] = fit_axis(wanted.height(), frame.top(), frame.bottom(), available.y(), available.height());
  return {x, y, w, h};
}

}  // namespace wellvue
