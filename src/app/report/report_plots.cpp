#include "app/report/report_plots.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace wellvue {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QString metres(double m) { return qs(report_metres(m)); }

void set_font(QPainter& p, double points, bool bold = false) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPointSizeF(points);
  f.setBold(bold);
  // Ligatures would turn "fi" into one glyph that a text search of the PDF does not find.
  f.setStyleStrategy(QFont::PreferNoShaping);
  p.setFont(f);
}

QString number_fr(double v, int decimals) { return QString::number(v, 'f', decimals).replace('.', ','); }

// Decimals that write every multiple of the step exactly (2.5 needs one).
int decimals_of(double step) {
  int d = 0;
  for (double scaled = step; d < 4 && std::fabs(scaled - std::round(scaled)) > 1e-6; scaled *= 10) ++d;
  return d;
}

// The depth scale: from the shallowest point (or zero) to a round bottom below the deepest.
void depth_range(const ReportContent& c, double& top, double& bottom, double& step) {
  top = std::min(0.0, c.has_depths ? c.min_depth_m : 0.0);
  double deepest = c.has_depths ? c.max_depth_m : 1.0;
  if (c.water_level_m) deepest = std::max(deepest, *c.water_level_m);
  for (const auto& o : c.observations) deepest = std::max(deepest, o.depth_m);
  step = nice_step(std::max(0.5, deepest - top), 8);
  bottom = std::ceil(deepest / step) * step;
  if (bottom <= deepest) bottom += step;
  top = std::floor(top / step) * step;
}

}  // namespace

double nice_step(double span, int ticks) {
  const double raw = span / std::max(1, ticks);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
    if (m * power >= raw) return m * power;
  return 10 * power;
}

void draw_profile_plot(QPainter& p, const QRectF& area, const ReportContent& c, double unit) {
  p.save();
  set_font(p, 8);
  const QFontMetricsF fm(p.font(), p.device());
  const QRectF plot = area.adjusted(18 * unit, 8 * unit, -4 * unit, -12 * unit);
  double top, bottom, dstep;
  depth_range(c, top, bottom, dstep);
  double end_s = c.duration_s > 0 ? c.duration_s : 0;
  if (!c.profile.empty()) end_s = std::max(end_s, c.profile.back().video_ms / 1000.0);
  for (const auto& o : c.observations) end_s = std::max(end_s, o.video_ms / 1000.0);
  end_s = std::max(end_s, 1.0);
  const bool in_minutes = end_s >= 120;
  const double tspan = in_minutes ? end_s / 60 : end_s;
  const double tstep = nice_step(tspan, 10);
  const double tend = std::ceil(tspan / tstep) * tstep;
  auto x_of = [&](double s) { return plot.left() + (in_minutes ? s / 60 : s) / tend * plot.width(); };
  auto y_of = [&](double d) { return plot.top() + (d - top) / (bottom - top) * plot.height(); };

  // Grid and graduations.
  p.setPen(QPen(QColor(215, 215, 215), 0.15 * unit));
  for (double d = top; d <= bottom + dstep / 2; d += dstep)
    p.drawLine(QPointF(plot.left(), y_of(d)), QPointF(plot.right(), y_of(d)));
  for (double t = 0; t <= tend + tstep / 2; t += tstep) {
    const double x = plot.left() + t / tend * plot.width();
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
  }
  p.setPen(QPen(Qt::black, 0.25 * unit));
  p.drawRect(plot);
  for (double d = top; d <= bottom + dstep / 2; d += dstep) {
    const QString label = number_fr(d, decimals_of(dstep));
    p.drawText(QRectF(area.left(), y_of(d) - fm.height() / 2, 16 * unit, fm.height()),
               Qt::AlignRight | Qt::AlignVCenter, label);
  }
  for (double t = 0; t <= tend + tstep / 2; t += tstep) {
    const double x = plot.left() + t / tend * plot.width();
    p.drawText(QRectF(x - 10 * unit, plot.bottom() + 1 * unit, 20 * unit, fm.height()), Qt::AlignHCenter | Qt::AlignTop,
               number_fr(t, decimals_of(tstep)));
  }
  p.drawText(QRectF(plot.left(), plot.bottom() + 1.5 * unit + fm.height(), plot.width(), fm.height()),
             Qt::AlignHCenter | Qt::AlignTop, in_minutes ? QStringLiteral("Temps (min)") : QStringLiteral("Temps (s)"));
  p.save();
  p.translate(area.left() + fm.height() * 0.2, plot.center().y());
  p.rotate(-90);
  p.drawText(QRectF(-plot.height() / 2, 0, plot.height(), fm.height()), Qt::AlignCenter,
             QStringLiteral("Profondeur (m)"));
  p.restore();

  p.setClipRect(plot);
  if (c.water_level_m) {
    p.setPen(QPen(QColor(30, 100, 220), 0.35 * unit, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), y_of(*c.water_level_m)), QPointF(plot.right(), y_of(*c.water_level_m)));
    p.drawText(QPointF(plot.left() + 1.5 * unit, y_of(*c.water_level_m) - 1 * unit), QStringLiteral("Niveau d'eau"));
  }
  if (!c.profile.empty()) {
    QPainterPath path(QPointF(x_of(c.profile.front().video_ms / 1000.0), y_of(c.profile.front().depth_m)));
    for (const ProfilePoint& pt : c.profile) path.lineTo(x_of(pt.video_ms / 1000.0), y_of(pt.depth_m));
    p.setPen(QPen(QColor(20, 20, 20), 0.45 * unit));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
  } else {
    p.drawText(plot, Qt::AlignCenter, QStringLiteral("Aucune profondeur enregistrée"));
  }
  // Observations: a red mark on the curve with its code.
  p.setPen(QPen(QColor(200, 30, 30), 0.3 * unit));
  p.setBrush(QColor(200, 30, 30));
  // Numbered as in the table: codes would overlap where observations come close together.
  for (std::size_t i = 0; i < c.observations.size(); ++i) {
    const ReportObservation& o = c.observations[i];
    const QPointF at(x_of(o.video_ms / 1000.0), y_of(o.depth_m));
    p.drawEllipse(at, 0.9 * unit, 0.9 * unit);
    p.drawText(at + QPointF(1.5 * unit, -1.0 * unit), QString::number(i + 1));
  }
  p.restore();
}

void draw_strip_log(QPainter& p, const QRectF& area, const ReportContent& c, double unit) {
  p.save();
  set_font(p, 8);
  const QFontMetricsF fm(p.font(), p.device());
  double top, bottom, step;
  depth_range(c, top, bottom, step);
  const QRectF column(area.left() + 20 * unit, area.top() + 6 * unit, 22 * unit, area.height() - 8 * unit);
  auto y_of = [&](double d) { return column.top() + (d - top) / (bottom - top) * column.height(); };

  // The bore: the ground above, the hole down to the bottom reached, water below its level.
  const double reached = c.has_depths ? c.max_depth_m : top;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(235, 225, 205));
  p.drawRect(QRectF(column.left() - 6 * unit, column.top(), 6 * unit, column.height()));
  p.drawRect(QRectF(column.right(), column.top(), 6 * unit, column.height()));
  p.setBrush(QColor(250, 250, 250));
  p.drawRect(QRectF(column.left(), y_of(top), column.width(), y_of(reached) - y_of(top)));
  if (c.water_level_m && *c.water_level_m < reached) {
    p.setBrush(QColor(200, 222, 250));
    p.drawRect(QRectF(column.left(), y_of(*c.water_level_m), column.width(), y_of(reached) - y_of(*c.water_level_m)));
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::black, 0.35 * unit));
  p.drawLine(QPointF(column.left(), column.top()), QPointF(column.left(), column.bottom()));
  p.drawLine(QPointF(column.right(), column.top()), QPointF(column.right(), column.bottom()));

  // Depth scale on the left.
  p.setPen(QPen(Qt::black, 0.2 * unit));
  const double left = column.left() - 6 * unit;
  for (double d = top; d <= bottom + step / 2; d += step) {
    p.drawLine(QPointF(left - 2 * unit, y_of(d)), QPointF(left, y_of(d)));
    p.drawText(QRectF(area.left(), y_of(d) - fm.height() / 2, left - 3 * unit - area.left(), fm.height()),
               Qt::AlignRight | Qt::AlignVCenter, number_fr(d, decimals_of(step)) + QStringLiteral(" m"));
  }

  // Marks across the column with their labels on the right, pushed down where they would overlap.
  struct Mark {
    double depth;
    QString text;
    QColor colour;
  };
  std::vector<Mark> marks;
  marks.push_back({c.start_depth_m.value_or(0),
                   QStringLiteral("Margelle (zéro) ") + metres(c.start_depth_m.value_or(0)), Qt::black});
  if (c.water_level_m)
    marks.push_back(
        {*c.water_level_m, QStringLiteral("Niveau d'eau ") + metres(*c.water_level_m), QColor(30, 100, 220)});
  if (c.has_depths) marks.push_back({reached, QStringLiteral("Fond atteint ") + metres(reached), QColor(90, 60, 20)});
  for (std::size_t i = 0; i < c.observations.size(); ++i) {
    const ReportObservation& o = c.observations[i];
    marks.push_back({o.depth_m,
                     QStringLiteral("%1. ").arg(i + 1) + metres(o.depth_m) + QStringLiteral("  ") + qs(o.code),
                     QColor(200, 30, 30)});
  }
  std::stable_sort(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) { return a.depth < b.depth; });
  const double label_x = column.right() + 14 * unit;
  // Smaller labels when they cannot all stand one under the other at this size.
  const double gap = 0.3 * unit;
  if (marks.size() * (fm.height() + gap) > area.height()) {
    QFont f = p.font();
    f.setPointSizeF(std::max(4.0, f.pointSizeF() * area.height() / (marks.size() * (fm.height() + gap))));
    p.setFont(f);
  }
  const QFontMetricsF lm(p.font(), p.device());
  // Each label at its depth or just under the one above; then, from the bottom, pulled up so that
  // none runs off the page.
  std::vector<double> label_y(marks.size());
  double next_free = area.top();
  for (std::size_t i = 0; i < marks.size(); ++i) {
    label_y[i] = std::max(y_of(marks[i].depth), next_free + lm.height() / 2);
    next_free = label_y[i] + lm.height() / 2 + gap;
  }
  double limit = area.bottom() - lm.height() / 2;
  for (std::size_t i = marks.size(); i-- > 0;) {
    label_y[i] = std::min(label_y[i], limit);
    limit = label_y[i] - lm.height() - gap;
  }
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const Mark& m = marks[i];
    const double y = y_of(m.depth);
    p.setPen(QPen(m.colour, 0.35 * unit));
    p.drawLine(QPointF(column.left(), y), QPointF(column.right() + 6 * unit, y));
    p.setPen(QPen(m.colour, 0.15 * unit));
    p.drawLine(QPointF(column.right() + 6 * unit, y), QPointF(label_x - 1 * unit, label_y[i]));
    p.drawText(QRectF(label_x, label_y[i] - lm.height() / 2, area.right() - label_x, lm.height()),
               Qt::AlignLeft | Qt::AlignVCenter, lm.elidedText(m.text, Qt::ElideRight, area.right() - label_x));
  }
  p.restore();
}

}  // namespace wellvue
