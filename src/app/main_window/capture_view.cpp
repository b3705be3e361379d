#include "app/main_window/capture_view.h"

#include <QPainter>
#include <QResizeEvent>

namespace wellvue {

CaptureView::CaptureView(const BackendFactory& make_backend, Prompter& prompter, QWidget* parent)
    : QWidget(parent),
      slot_(this, [this](const QImage& image) { show_picture(image); }),
      backend_(make_backend(scheduler_)),
      engine_(std::make_unique<TVideoCapture>(*backend_, scheduler_, prompter)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
  engine_->SetVideoSurface(this);
  engine_->OnRepaint = [this] { update(); };
  engine_->Resize(width(), height());
}

CaptureView::~CaptureView() {
  // Stop the pipeline while the surface it draws into still exists.
  engine_.reset();
  backend_.reset();
}

void CaptureView::present(const VideoFrame& frame) {
  slot_.offer_bgrx(frame.data, frame.width, frame.height, frame.stride);
}

void CaptureView::clear_picture() {
  picture_ = QImage();
  update();
}

void CaptureView::show_picture(const QImage& image) {
  picture_ = image;
  ++shown_;
  emit picture_changed();
  update();
}

void CaptureView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (picture_.isNull()) {
    p.fillRect(rect(), palette().color(QPalette::Window));
    return;
  }
  // The picture fills the whole client area; the window keeps the area at the chosen aspect.
  p.drawImage(rect(), picture_);
}

void CaptureView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  engine_->Resize(e->size().width(), e->size().height());
  emit area_resized(e->size().width(), e->size().height());
}

}  // namespace wellvue
