// A minimal owner-thread event loop for the tools and tests: other threads post closures, the
// owner runs them in order. The app uses the Qt event loop instead.
#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace wellvue {

class EventQueue {
 public:
  // Thread-safe.
  void post(std::function<void()> fn);
  // A copyable function that posts here; the queue must outlive its calls.
  std::function<void(std::function<void()>)> sink();
  // Runs the posted closures until `timeout` passes with nothing to run, or until stop().
  // Returns the number of closures run.
  std::size_t run_for(std::chrono::milliseconds timeout);
  // Runs posted closures until pred() is true after one of them, or the deadline passes.
  bool run_until(const std::function<bool()>& pred, std::chrono::milliseconds deadline);
  // Closures posted and not yet run (thread-safe).
  std::size_t size();
  // Runs closures until stop() is called (thread-safe).
  void run();
  void stop();

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> queue_;
  bool stopped_ = false;
};

}  // namespace wellvue
