#include "capture/gst/owner_loop.h"

#include <algorithm>

namespace wellvue::gst {

using Clock = std::chrono::steady_clock;

struct OwnerLoop::Timer {
  std::chrono::milliseconds interval;
  std::function<void()> tick;
  bool enabled = false;
  bool alive = true;
  Clock::time_point due;
};

class OwnerLoop::TimerHandle : public TickTimer {
 public:
  explicit TimerHandle(std::shared_ptr<Timer> t) : t_(std::move(t)) {}
  ~TimerHandle() override { t_->alive = false; }
  void set_enabled(bool enabled) override {
    if (enabled && !t_->enabled) t_->due = Clock::now() + t_->interval;
    t_->enabled = enabled;
  }
  bool enabled() const override { return t_->enabled; }

 private:
  std::shared_ptr<Timer> t_;
};

OwnerLoop::OwnerLoop() = default;
OwnerLoop::~OwnerLoop() { queue_.discard(); }

void OwnerLoop::post(std::function<void()> work) { queue_.post(std::move(work)); }

std::unique_ptr<TickTimer> OwnerLoop::create_timer(int interval_ms, std::function<void()> tick) {
  auto t = std::make_shared<Timer>();
  t->interval = std::chrono::milliseconds(std::max(1, interval_ms));
  t->tick = std::move(tick);
  timers_.push_back(t);
  return std::make_unique<TimerHandle>(t);
}

std::uint32_t OwnerLoop::now_ms() {
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - epoch_).count());
}

void OwnerLoop::fire_due_timers() {
  std::erase_if(timers_, [](const auto& t) { return !t->alive; });
  const auto now = Clock::now();
  auto due = timers_;  // a tick may create or drop timers
  for (auto& t : due) {
    if (!t->alive || !t->enabled || t->due > now) continue;
    t->due = now + t->interval;
    t->tick();
  }
}

Clock::time_point OwnerLoop::next_deadline(Clock::time_point limit) const {
  auto next = limit;
  for (const auto& t : timers_)
    if (t->alive && t->enabled) next = std::min(next, t->due);
  return next;
}

bool OwnerLoop::run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  while (true) {
    queue_.drain();
    fire_due_timers();
    if (done && done()) return true;
    const auto now = Clock::now();
    if (now >= end) return false;
    const auto wake = next_deadline(std::min(end, now + std::chrono::milliseconds(50)));
    queue_.wait(std::chrono::duration_cast<std::chrono::milliseconds>(wake - now) + std::chrono::milliseconds(1));
  }
}

void OwnerLoop::run_for(std::chrono::milliseconds duration) { run_until(nullptr, duration); }

}  // namespace wellvue::gst
