// The red mark of the bottom bar that says a recording is under way: a red disc and "ENR",
// readable at a glance from a step away whatever the colour scheme.
#pragma once
#include <QWidget>

namespace wellvue {

class RecordingMark : public QWidget {
  Q_OBJECT
 public:
  explicit RecordingMark(QWidget* parent = nullptr);
  static QColor colour() { return QColor(220, 0, 0); }
  QSize sizeHint() const override { return {120, 40}; }

 protected:
  void paintEvent(QPaintEvent* e) override;
};

}  // namespace wellvue
