#include "app/main_window/svg_picture.h"

#include <QPainter>
#include <QSvgRenderer>

namespace wellvue {

SvgPicture::SvgPicture(const QString& resource, QWidget* parent)
    : QWidget(parent), renderer_(new QSvgRenderer(resource, this)) {}

void SvgPicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  renderer_->render(&p, QRectF(rect()));
}

}  // namespace wellvue
