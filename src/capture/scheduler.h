// The owner (GUI) thread as the capture engine needs it: posting work to it from any thread, a
// repeating timer, and the system millisecond clock. The app implements it with Qt; tests and
// tools drive it by hand.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

namespace wellvue {

class TickTimer {
 public:
  virtual ~TickTimer() = default;
  virtual void set_enabled(bool enabled) = 0;
  virtual bool enabled() const = 0;
};

class Scheduler {
 public:
  virtual ~Scheduler() = default;
  // Run `work` later on the owner thread. Safe from any thread.
  virtual void post(std::function<void()> work) = 0;
  // A timer calling `tick` on the owner thread every interval_ms while enabled; created disabled.
  virtual std::unique_ptr<TickTimer> create_timer(int interval_ms, std::function<void()> tick) = 0;
  // System milliseconds, wrapping at 2^32.
  virtual std::uint32_t now_ms() = 0;
};

}  // namespace wellvue
