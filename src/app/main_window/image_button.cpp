#include "app/main_window/image_button.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>

namespace wellvue {

namespace {
constexpr int kIconWidth = 39;
constexpr int kIconHeight = 33;
constexpr int kIconLeft = 6;
constexpr int kIconAboveTop = 3;
}  // namespace

ButtonIcon::ButtonIcon(const QString& resource, ImageButton* button)
    : QWidget(button), button_(button), renderer_(new QSvgRenderer(resource, this)) {
  setFixedSize(kIconWidth, kIconHeight);
  setAttribute(Qt::WA_TranslucentBackground);
}

void ButtonIcon::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  renderer_->render(&p, QRectF(rect()));
}

void ButtonIcon::mousePressEvent(QMouseEvent* e) {
  e->accept();
  emit mouse_down(this);
}

void ButtonIcon::mouseReleaseEvent(QMouseEvent* e) {
  e->accept();
  emit mouse_up(this);
}

QColor ImageButton::disabled_colour() { return QColor(191, 205, 219); }

ImageButton::ImageButton(const QString& caption, QWidget* parent)
    : QFrame(parent), caption_(caption), font_colour_(Qt::black), face_colour_(QColor(240, 240, 240)) {
  QFont f = font();
  f.setBold(true);
  f.setPixelSize(16);
  setFont(f);
  setFocusPolicy(Qt::StrongFocus);
}

void ImageButton::set_caption(const QString& caption) {
  caption_ = caption;
  update();
}

void ImageButton::set_font_colour(const QColor& colour) {
  font_colour_ = colour;
  update();
}

void ImageButton::set_face_colour(const QColor& colour) {
  face_colour_ = colour;
  update();
}

void ImageButton::set_caption_pixel_size(int px) {
  QFont f = font();
  f.setPixelSize(px);
  setFont(f);
  update();
}

ButtonIcon* ImageButton::add_icon(const QString& resource, const QString& object_name) {
  icon_ = new ButtonIcon(resource, this);
  icon_->setObjectName(object_name);
  place_icon();
  return icon_;
}

void ImageButton::set_icon_above(bool above) {
  icon_above_ = above;
  place_icon();
  update();
}

void ImageButton::place_icon() {
  if (!icon_) return;
  if (icon_above_) icon_->move((width() - kIconWidth) / 2, kIconAboveTop);
  else icon_->move(kIconLeft, (height() - kIconHeight) / 2);
}

void ImageButton::press() {
  inner_ = InnerBevel::Space;
  if (!pressed_) {
    pressed_ = true;
    move(x() + kPressShift, y() + kPressShift);
  }
  update();
}

void ImageButton::release() {
  inner_ = InnerBevel::None;
  if (pressed_) {
    pressed_ = false;
    move(x() - kPressShift, y() - kPressShift);
  }
  update();
}

void ImageButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  p.fillRect(r, face_colour_);
  // Outer raised bevel.
  const QColor light = face_colour_.lighter(160);
  const QColor dark = face_colour_.darker(170);
  p.setPen(light);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(dark);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
  if (inner_ == InnerBevel::Space) {
    // The pressed look: a sunken ring inside the raised edge.
    p.setPen(dark);
    p.drawRect(r.adjusted(2, 2, -3, -3));
  }
  // The caption is centred on the whole button like the designed captions, whose leading blanks
  // clear the icon. A caption that would run over the icon (one set later without those blanks,
  // the port name) or past the edge is centred in the room right of the icon, smaller if need be.
  QFont f = font();
  p.setPen(font_colour_);
  if (icon_ && icon_above_) {
    // Under the icon, across the whole width, smaller if need be.
    const QRect room(3, kIconAboveTop + kIconHeight, std::max(1, r.width() - 6),
                     std::max(1, r.height() - kIconAboveTop - kIconHeight - 1));
    const QString text = caption_.trimmed();
    while (QFontMetrics(f).horizontalAdvance(text) > room.width() && f.pixelSize() > 9)
      f.setPixelSize(f.pixelSize() - 1);
    p.setFont(f);
    p.drawText(room, Qt::AlignCenter, text);
    return;
  }
  const int text_left = icon_ ? kIconLeft + kIconWidth + 2 : 4;
  const QFontMetrics fm(f);
  const QString trimmed = caption_.trimmed();
  const int full = fm.horizontalAdvance(caption_);
  qsizetype blanks = 0;
  while (blanks < caption_.size() && caption_[blanks] == u' ') ++blanks;
  const int lead = fm.horizontalAdvance(caption_.left(blanks));
  const int first_ink = (r.width() - full) / 2 + lead;
  if (first_ink >= text_left && full <= r.width() - 8) {
    p.setFont(f);
    p.drawText(r, Qt::AlignCenter, caption_);
    return;
  }
  const int room = std::max(1, r.width() - text_left - 4);
  while (QFontMetrics(f).horizontalAdvance(trimmed) > room && f.pixelSize() > 9) f.setPixelSize(f.pixelSize() - 1);
  p.setFont(f);
  p.drawText(QRect(text_left, 0, room, r.height()), Qt::AlignCenter, trimmed);
}

void ImageButton::resizeEvent(QResizeEvent* e) {
  QFrame::resizeEvent(e);
  place_icon();
}

void ImageButton::mousePressEvent(QMouseEvent* e) {
  e->accept();
  emit mouse_down(this);
}

void ImageButton::mouseReleaseEvent(QMouseEvent* e) {
  e->accept();
  const bool inside = rect().contains(e->position().toPoint());
  emit mouse_up(this);
  if (inside) emit clicked(this);
}

}  // namespace wellvue
