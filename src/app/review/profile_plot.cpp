#include "app/review/profile_plot.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "app/services/text_bridge.h"
#include "util/depth_text.h"
#include "util/time_code.h"

namespace wellvue {

ProfilePlot::ProfilePlot(QWidget* parent) : QWidget(parent) {
  setMinimumHeight(90);
  setCursor(Qt::PointingHandCursor);
  setToolTip(QStringLiteral("Cliquer pour aller à ce moment"));
}

void ProfilePlot::set_track(const DepthTrack& track, std::int64_t duration_ms) {
  track_ = track;
  duration_ms_ = std::max<std::int64_t>({1, duration_ms, track.end_ms()});
  update();
}

void ProfilePlot::set_current(std::int64_t ms) {
  current_ = ms;
  update();
}

QRect ProfilePlot::plot_area() const { return rect().adjusted(60, 6, -10, -18); }

std::int64_t ProfilePlot::ms_at_x(int x) const {
  const QRect a = plot_area();
  const double f = std::clamp(double(x - a.left()) / std::max(1, a.width()), 0.0, 1.0);
  return static_cast<std::int64_t>(std::llround(f * duration_ms_));
}

int ProfilePlot::x_of_ms(std::int64_t ms) const {
  const QRect a = plot_area();
  return a.left() + static_cast<int>(std::lround(double(ms) / duration_ms_ * a.width()));
}

void ProfilePlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Base));
  const QRect a = plot_area();
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(a);
  p.setPen(palette().color(QPalette::Text));
  const double shallow = track_.min_depth();
  const double deep = track_.max_depth() > shallow ? track_.max_depth() : shallow + 1.0;
  p.drawText(QRect(0, a.top() - 6, a.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter, to_qt(depth_text(shallow)));
  p.drawText(QRect(0, a.bottom() - 10, a.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter, to_qt(depth_text(deep)));
  p.drawText(QRect(a.left(), a.bottom() + 2, a.width(), 16), Qt::AlignRight | Qt::AlignTop,
             QString::fromStdString(time_code_of_ms(static_cast<std::uint64_t>(duration_ms_)).substr(0, 8)));
  auto y_of = [&](double d) { return a.top() + (d - shallow) / (deep - shallow) * a.height(); };
  QPainterPath path;
  bool first = true;
  double last_y = 0;
  for (const DepthPoint& pt : track_.points()) {
    const double x = x_of_ms(pt.ms);
    const double y = y_of(pt.depth_m);
    if (first) {
      path.moveTo(x, y);
      first = false;
    } else {
      path.lineTo(x, last_y);  // the reading stands until the next one
      path.lineTo(x, y);
    }
    last_y = y;
  }
  if (!first) path.lineTo(x_of_ms(duration_ms_), last_y);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0, 90, 180), 2));
  p.drawPath(path);
  p.setPen(QPen(QColor(200, 0, 0), 2));
  const int x = x_of_ms(current_);
  p.drawLine(x, a.top(), x, a.bottom());
}

void ProfilePlot::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) emit time_clicked(ms_at_x(e->position().toPoint().x()));
}

}  // namespace wellvue
