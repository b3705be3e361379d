#include "app/review/review_picture.h"

#include <QPainter>

namespace wellvue {

ReviewPicture::ReviewPicture(QWidget* parent)
    : QWidget(parent), slot_(this, [this](const QImage& image) {
        picture_ = image;
        ++shown_;
        emit picture_changed();
        update();
      }) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(320, 240);
}

void ReviewPicture::present(const VideoFrame& frame) {
  slot_.offer_bgrx(frame.data, frame.width, frame.height, frame.stride);
}

void ReviewPicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  if (picture_.isNull()) return;
  QSize size = picture_.size().scaled(this->size(), Qt::KeepAspectRatio);
  QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(target, picture_);
}

}  // namespace wellvue
