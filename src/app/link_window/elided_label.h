// A label that paints its text cut in the middle when it is wider than the label, so that both
// ends of a long path stay readable; text() keeps the whole text.
#pragma once
#include <QLabel>

namespace wellvue {

class ElidedLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
  // What the label paints at its present width.
  QString shown_text() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace wellvue
