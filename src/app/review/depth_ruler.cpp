#include "app/review/depth_ruler.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/services/text_bridge.h"
#include "util/depth_text.h"

namespace wellvue {

namespace {
constexpr int kMargin = 10;
}

DepthRuler::DepthRuler(QWidget* parent) : QWidget(parent) {
  setFixedWidth(90);
  setCursor(Qt::PointingHandCursor);
  setToolTip(QStringLiteral("Cliquer pour aller à cette profondeur"));
}

void DepthRuler::set_range(double shallow_m, double deep_m) {
  shallow_ = shallow_m;
  deep_ = deep_m > shallow_m ? deep_m : shallow_m + 1.0;
  update();
}

void DepthRuler::set_current(double depth_m) {
  current_ = depth_m;
  update();
}

int DepthRuler::top() const { return kMargin; }
int DepthRuler::bottom() const { return std::max(top() + 1, height() - kMargin); }

double DepthRuler::depth_at_y(int y) const {
  const double f = std::clamp(double(y - top()) / (bottom() - top()), 0.0, 1.0);
  return shallow_ + f * (deep_ - shallow_);
}

int DepthRuler::y_of_depth(double depth_m) const {
  const double f = std::clamp((depth_m - shallow_) / (deep_ - shallow_), 0.0, 1.0);
  return top() + static_cast<int>(std::lround(f * (bottom() - top())));
}

void DepthRuler::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Base));
  const int axis = width() - 20;
  p.setPen(palette().color(QPalette::Text));
  p.drawLine(axis, top(), axis, bottom());
  // About one labelled tick per 40 pixels, on a round step.
  const double span = deep_ - shallow_;
  const double wanted = span / std::max(1, (bottom() - top()) / 40);
  double step = std::pow(10.0, std::floor(std::log10(wanted)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (step * m >= wanted) {
      step *= m;
      break;
    }
  for (double d = std::ceil(shallow_ / step) * step; d <= deep_ + 1e-9; d += step) {
    const int y = y_of_depth(d);
    p.drawLine(axis - 6, y, axis, y);
    p.drawText(QRect(0, y - 8, axis - 8, 16), Qt::AlignRight | Qt::AlignVCenter, to_qt(depth_text(d)));
  }
  const int y = y_of_depth(current_);
  p.setPen(QPen(QColor(200, 0, 0), 3));
  p.drawLine(axis - 14, y, width() - 2, y);
  QPolygon arrow;
  arrow << QPoint(width() - 2, y) << QPoint(width() - 12, y - 6) << QPoint(width() - 12, y + 6);
  p.setBrush(QColor(200, 0, 0));
  p.drawPolygon(arrow);
}

void DepthRuler::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) emit depth_clicked(depth_at_y(e->position().toPoint().y()));
}

}  // namespace wellvue
