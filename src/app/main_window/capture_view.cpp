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
  // The pipeline is asked for the source's own picture size, never the view's: scaled to another
  // aspect there it would keep the source's aspect inside black bars. The view stretches it.
  engine_->Resize(0, 0);
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

void CaptureView::set_aspect(Aspect aspect) {
  aspect_ = aspect;
  update();
}

QRect CaptureView::picture_rect() const {
  const Box b = aspect_box(width(), height(), aspect_);
  // The layout rule's integer halvings leave the view a pixel or two off the aspect: the picture
  // then fills it rather than showing hairline bars.
  constexpr int kRounding = 3;
  if (width() - b.width <= kRounding && height() - b.height <= kRounding) return rect();
  return QRect(b.x, b.y, b.width, b.height);
}

void CaptureView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect target = picture_rect();
  if (picture_.isNull() || target != rect()) p.fillRect(rect(), palette().color(QPalette::Window));
  if (picture_.isNull()) return;
  p.drawImage(target, picture_);
}

void CaptureView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  emit area_resized(e->size().width(), e->size().height());
}

}  // namespace wellvue
