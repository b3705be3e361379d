#include "app/main_window/recording_mark.h"

#include <QPainter>
#include <algorithm>

namespace wellvue {

RecordingMark::RecordingMark(QWidget* parent) : QWidget(parent) {
  QFont f = font();
  f.setPixelSize(24);
  f.setBold(true);
  setFont(f);
}

void RecordingMark::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const int d = std::min(height() - 8, 28);
  const QRect disc(4, (height() - d) / 2, d, d);
  p.setPen(QPen(Qt::white, 2));
  p.setBrush(colour());
  p.drawEllipse(disc);
  p.setPen(colour());
  p.drawText(QRect(disc.right() + 8, 0, width() - disc.right() - 8, height()), Qt::AlignLeft | Qt::AlignVCenter, "ENR");
}

}  // namespace wellvue
