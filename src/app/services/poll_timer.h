// The link window's polling timer: a GUI-thread timer whose interval is set at every port open
// and whose ticks run the poll through the handler boundary.
#pragma once
#include <QTimer>
#include <functional>

namespace wellvue {

class PollTimer {
 public:
  explicit PollTimer(std::function<void()> on_tick);

  void set_interval_ms(int ms);
  int interval_ms() const { return timer_.interval(); }
  void set_enabled(bool on);
  bool enabled() const { return timer_.isActive(); }

 private:
  QTimer timer_;
  std::function<void()> on_tick_;
};

}  // namespace wellvue
