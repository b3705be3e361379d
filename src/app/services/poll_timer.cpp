#include "app/services/poll_timer.h"

#include <algorithm>

namespace wellvue {

PollTimer::PollTimer(std::function<void()> on_tick) : on_tick_(std::move(on_tick)) {
  // A coarse timer could stretch 10 ms to 15 ms and more; the polling cadence is part of the
  // subtitle timing, so ask for the precise one.
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(100);
  QObject::connect(&timer_, &QTimer::timeout, [this] { on_tick_(); });
}

void PollTimer::set_interval_ms(int ms) {
  // A negative interval is refused by Qt; 0 means "as often as the event loop allows".
  timer_.setInterval(std::max(ms, 0));
}

void PollTimer::set_enabled(bool on) {
  if (on) {
    timer_.start();
  } else {
    timer_.stop();
  }
}

}  // namespace wellvue
