#include "app/main_window/qt_scheduler.h"

#include <QTimer>

namespace wellvue {

namespace {

class QtTickTimer : public TickTimer {
 public:
  QtTickTimer(int interval_ms, std::function<void()> tick) : tick_(std::move(tick)) {
    timer_.setInterval(interval_ms);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (tick_) tick_();
    });
  }
  void set_enabled(bool enabled) override {
    if (enabled && !timer_.isActive()) timer_.start();
    if (!enabled) timer_.stop();
  }
  bool enabled() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
  std::function<void()> tick_;
};

}  // namespace

QtScheduler::QtScheduler() { clock_.start(); }

void QtScheduler::post(std::function<void()> work) { poster_.post(std::move(work)); }

std::unique_ptr<TickTimer> QtScheduler::create_timer(int interval_ms, std::function<void()> tick) {
  return std::make_unique<QtTickTimer>(interval_ms, std::move(tick));
}

std::uint32_t QtScheduler::now_ms() {
  // The engine works with a clock that wraps at 2^32 milliseconds.
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(clock_.elapsed()));
}

}  // namespace wellvue
