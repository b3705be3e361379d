// The descent profile under the review picture: depth (down) against video time (across), a line
// at the moment shown; a click asks for the moment clicked.
#pragma once
#include <QWidget>
#include <cstdint>

#include "review/depth_track.h"

namespace wellvue {

class ProfilePlot : public QWidget {
  Q_OBJECT
 public:
  explicit ProfilePlot(QWidget* parent = nullptr);

  void set_track(const DepthTrack& track, std::int64_t duration_ms);
  void set_current(std::int64_t ms);
  // The plot's scale: a time at an x of the widget and back.
  std::int64_t ms_at_x(int x) const;
  int x_of_ms(std::int64_t ms) const;

 signals:
  void time_clicked(std::int64_t ms);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  QRect plot_area() const;

  DepthTrack track_;
  std::int64_t duration_ms_ = 1;
  std::int64_t current_ = 0;
};

}  // namespace wellvue
