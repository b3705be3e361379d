// The two drawings of the inspection report: the descent profile (depth downward against time)
// and the strip log (the bore as a column to depth scale with its observations and water level).
#pragma once
#include <QPainter>
#include <QRectF>

#include "report/report_content.h"

namespace wellvue {

// unit: device pixels per millimetre, so lines and texts keep their size on any resolution.
void draw_profile_plot(QPainter& p, const QRectF& area, const ReportContent& c, double unit);
void draw_strip_log(QPainter& p, const QRectF& area, const ReportContent& c, double unit);

// A round step for about `ticks` graduations over span.
double nice_step(double span, int ticks);

}  // namespace wellvue
