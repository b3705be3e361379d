// A one-line label that shrinks its font when its text is wider than the label (down to a
// readable minimum), so that a long depth line stays whole in the bottom bar.
#pragma once
#include <QLabel>

namespace wellvue {

class FitLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
  static constexpr int kSmallestPixelSize = 14;

  // The pixel size the text is drawn with in the present width.
  int fitted_pixel_size() const;

 protected:
  void paintEvent(QPaintEvent* e) override;
};

}  // namespace wellvue
