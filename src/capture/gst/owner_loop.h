// The owner thread's loop for programs without a GUI toolkit (the capture tool, the tests, the
// benchmarks): the engine's scheduler over an owner queue, with its timers fired by the loop.
#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "capture/gst/owner_queue.h"
#include "capture/scheduler.h"

namespace wellvue::gst {

class OwnerLoop : public Scheduler {
 public:
  OwnerLoop();
  ~OwnerLoop() override;

  void post(std::function<void()> work) override;
  std::unique_ptr<TickTimer> create_timer(int interval_ms, std::function<void()> tick) override;
  std::uint32_t now_ms() override;

  // Runs posted work and due timers until `done` holds or the time-out passes; true when done.
  bool run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Runs posted work and due timers for this long.
  void run_for(std::chrono::milliseconds duration);

 private:
  struct Timer;
  class TimerHandle;
  void fire_due_timers();
  std::chrono::steady_clock::time_point next_deadline(std::chrono::steady_clock::time_point limit) const;

  OwnerQueue queue_;
  std::vector<std::shared_ptr<Timer>> timers_;
  std::chrono::steady_clock::time_point epoch_ = std::chrono::steady_clock::now();
};

}  // namespace wellvue::gst
