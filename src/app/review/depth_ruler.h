// The depth axis beside the review picture: a vertical ruler from the shallowest to the deepest
// depth of the recording, a marker at the current depth; a click asks for the depth clicked.
#pragma once
#include <QWidget>

namespace wellvue {

class DepthRuler : public QWidget {
  Q_OBJECT
 public:
  explicit DepthRuler(QWidget* parent = nullptr);

  void set_range(double shallow_m, double deep_m);
  void set_current(double depth_m);
  // The depth at a height of the widget and back (the ruler's scale).
  double depth_at_y(int y) const;
  int y_of_depth(double depth_m) const;

 signals:
  void depth_clicked(double depth_m);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  int top() const;
  int bottom() const;

  double shallow_ = 0.0;
  double deep_ = 1.0;
  double current_ = 0.0;
};

}  // namespace wellvue
