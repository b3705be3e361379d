// Hands work from GStreamer's streaming threads to the thread that owns the engine: any thread
// posts, the owner drains. The owner learns that work is waiting through a wake-up callback
// (a queued call in the app, a condition variable in the tool), called once per empty->non-empty
// transition so a burst of frames costs one wake-up.
#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace wellvue::gst {

class OwnerQueue {
 public:
  using Task = std::function<void()>;
  using Wake = std::function<void()>;

  // The wake-up callback runs on the posting thread; it must only schedule a drain.
  void set_wake(Wake wake);
  // Any thread.
  void post(Task task);
  // Owner thread: runs every task queued so far, in order; returns how many ran.
  int drain();
  // Owner thread: blocks until a task is queued or the time-out passes; true when one is queued.
  bool wait(std::chrono::milliseconds timeout);
  // Drops queued tasks (used when the poster's object goes away).
  void discard();
  bool empty() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<Task> tasks_;
  Wake wake_;
};

}  // namespace wellvue::gst
