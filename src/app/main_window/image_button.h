// The station's large push buttons: a raised panel with a bold caption and an optional icon at
// its left. Whether a button is enabled is carried by its caption colour, as the colour schemes
// and the button cycle of the main window expect.
#pragma once
#include <QColor>
#include <QFrame>
#include <QString>

class QSvgRenderer;

namespace wellvue {

class ImageButton;

// The icon inside an image button; a press on it is a press on its button.
class ButtonIcon : public QWidget {
  Q_OBJECT
 public:
  ButtonIcon(const QString& resource, ImageButton* button);
  ImageButton* button() const { return button_; }

 signals:
  void mouse_down(wellvue::ButtonIcon* icon);
  void mouse_up(wellvue::ButtonIcon* icon);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  ImageButton* button_;
  QSvgRenderer* renderer_;
};

class ImageButton : public QFrame {
  Q_OBJECT
 public:
  enum class InnerBevel { None, Space };

  // The colour that marks a disabled button (the system's inactive caption colour).
  static QColor disabled_colour();
  static constexpr int kPressShift = 2;

  explicit ImageButton(const QString& caption, QWidget* parent = nullptr);

  QString caption() const { return caption_; }
  void set_caption(const QString& caption);

  QColor font_colour() const { return font_colour_; }
  void set_font_colour(const QColor& colour);
  // Enabled exactly when the caption colour is not the disabled colour.
  bool is_enabled_button() const { return font_colour_ != disabled_colour(); }

  QColor face_colour() const { return face_colour_; }
  void set_face_colour(const QColor& colour);

  void set_caption_pixel_size(int px);

  // Adds the 39 x 33 icon, centred vertically at the left; objectName is the icon's name.
  ButtonIcon* add_icon(const QString& resource, const QString& object_name);
  // The icon centred above the caption instead, for a button too narrow for both side by side.
  void set_icon_above(bool above);
  bool icon_above() const { return icon_above_; }
  ButtonIcon* icon() const { return icon_; }

  InnerBevel inner_bevel() const { return inner_; }
  bool is_pressed() const { return pressed_; }
  // The press effect: inner bevel "space", moved 2 px right and down. A second press before the
  // release does not move the panel again, so the button always returns to where it was.
  void press();
  // The release effect: inner bevel none, moved back. Without a pending press it does nothing.
  void release();

 signals:
  void mouse_down(wellvue::ImageButton* button);
  void mouse_up(wellvue::ImageButton* button);
  void clicked(wellvue::ImageButton* button);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void place_icon();

  QString caption_;
  QColor font_colour_;
  QColor face_colour_;
  InnerBevel inner_ = InnerBevel::None;
  bool pressed_ = false;
  bool icon_above_ = false;
  ButtonIcon* icon_ = nullptr;
};

}  // namespace wellvue
