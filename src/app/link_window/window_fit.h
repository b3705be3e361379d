// Where a window opens on a screen: no larger than the screen's available area, frame included,
// centred where it is smaller and at the area's edge where it is not.
#pragma once
#include <QMargins>
#include <QRect>
#include <QSize>

namespace wellvue {

// The client geometry of a window that would be `wanted` large, with `frame` around it, inside
// `available`.
QRect fit_window(QSize wanted, QMargins frame, QRect available);

}  // namespace wellvue
