#include "app/main_window/fit_label.h"

#include <QFontMetrics>
#include <QPainter>

namespace wellvue {

int FitLabel::fitted_pixel_size() const {
  QFont f = font();
  int size = f.pixelSize() > 0 ? f.pixelSize() : QFontInfo(f).pixelSize();
  while (size > kSmallestPixelSize) {
    f.setPixelSize(size);
    if (QFontMetrics(f).horizontalAdvance(text()) <= contentsRect().width()) break;
    --size;
  }
  return size;
}

void FitLabel::paintEvent(QPaintEvent* e) {
  const int size = fitted_pixel_size();
  QFont f = font();
  if (f.pixelSize() == size) {
    QLabel::paintEvent(e);
    return;
  }
  f.setPixelSize(size);
  QPainter p(this);
  p.setFont(f);
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(contentsRect(), static_cast<int>(alignment()), text());
}

}  // namespace wellvue
