#include "app/link_window/lines_view.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <QStandardPaths>
#include <algorithm>
#include <limits>

#include "app/services/text_bridge.h"

namespace wellvue {
namespace {

constexpr int kMargin = 4;  // pixels left of the text, as a text edit leaves

std::string local_path(const QString& folder) {
  const QByteArray bytes = QFile::encodeName(folder);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

QString LinesView::default_spill_folder() {
  const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  if (cache.isEmpty()) return QString();
  QDir().mkpath(cache);
  return cache;
}

LinesView::LinesView(QWidget* parent, const QString& spill_folder)
    : QAbstractScrollArea(parent), lines_(local_path(spill_folder)) {
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);  // the arrows and page keys scroll, as in a text area
  verticalScrollBar()->setSingleStep(1);
  update_ranges(true);
}

int LinesView::row_height() const { return std::max(1, fontMetrics().lineSpacing()); }

int LinesView::rows_in_view() const { return std::max(1, viewport()->height() / row_height()); }

std::size_t LinesView::first_visible_line() const {
  return static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
}

QString LinesView::line_text(std::size_t i) const { return i < lines_.size() ? to_qt(lines_.line(i)) : QString(); }

bool LinesView::at_end() const { return verticalScrollBar()->value() >= verticalScrollBar()->maximum(); }

void LinesView::append_line(const std::string& line) {
  const bool follow = at_end();
  // A read traced whole carries the board's CR and LF: each starts a row, as in a text area.
  std::size_t from = 0;
  for (;;) {
    const std::size_t end = line.find_first_of("\r\n", from);
    std::string row = line.substr(from, end == std::string::npos ? std::string::npos : end - from);
    widest_ = std::max(widest_, fontMetrics().horizontalAdvance(to_qt(row)));
    lines_.append(std::move(row));
    if (end == std::string::npos) break;
    from = end + 1;
  }
  if (limit_ != 0 && lines_.size() > limit_) return drop_first_lines(lines_.size() - limit_);
  update_ranges(follow);
}

void LinesView::clear_lines() {
  lines_.clear();
  widest_ = 0;
  update_ranges(true);
}

void LinesView::drop_first_lines(std::size_t n) {
  if (n == 0) return;
  const bool follow = at_end();
  // The rows in view stay the same lines.
  const std::size_t first = first_visible_line();
  lines_.drop_first(n);
  update_ranges(follow);
  if (!follow) verticalScrollBar()->setValue(static_cast<int>(first > n ? first - n : 0));
}

void LinesView::update_ranges(bool follow) {
  const std::size_t count = std::min<std::size_t>(lines_.size(), std::numeric_limits<int>::max());
  const int rows = rows_in_view();
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, std::max(0, static_cast<int>(count) - rows));
  v->setPageStep(rows);
  if (follow) v->setValue(v->maximum());
  QScrollBar* h = horizontalScrollBar();
  h->setRange(0, std::max(0, widest_ + 2 * kMargin - viewport()->width()));
  h->setPageStep(viewport()->width());
  viewport()->update();
}

void LinesView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  update_ranges(at_end());
}

void LinesView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) update_ranges(at_end());
}

void LinesView::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(viewport());
  p.setPen(palette().color(QPalette::Text));
  const QFontMetrics fm = fontMetrics();
  const int h = row_height();
  const int x = kMargin - horizontalScrollBar()->value();
  const std::size_t first = first_visible_line();
  // One row more than fits whole: the last one shows in part.
  const std::size_t end = std::min(lines_.size(), first + static_cast<std::size_t>(rows_in_view()) + 1);
  for (std::size_t i = first; i < end; ++i) {
    const int y = static_cast<int>(i - first) * h;
    p.drawText(x, y + fm.ascent(), to_qt(lines_.line(i)));
  }
}

}  // namespace wellvue
