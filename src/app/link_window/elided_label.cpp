#include "app/link_window/elided_label.h"

#include <QPainter>
#include <QStyle>

namespace wellvue {

QString ElidedLabel::shown_text() const {
  const int room = contentsRect().width() - 2 * margin();
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, std::max(0, room));
}

void ElidedLabel::paintEvent(QPaintEvent*) {
  // Elided at paint time, so every resize shows as much of the text as fits.
  QPainter painter(this);
  drawFrame(&painter);
  const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  style()->drawItemText(&painter, room, QStyle::visualAlignment(layoutDirection(), alignment()), palette(), isEnabled(),
                        shown_text(), foregroundRole());
}

}  // namespace wellvue
