#include "capture/gst/owner_queue.h"

#include <utility>

namespace wellvue::gst {

void OwnerQueue::set_wake(Wake wake) {
  std::lock_guard lock(mutex_);
  wake_ = std::move(wake);
}

void OwnerQueue::post(Task task) {
  Wake wake;
  {
    std::lock_guard lock(mutex_);
    const bool was_empty = tasks_.empty();
    tasks_.push_back(std::move(task));
    if (was_empty) wake = wake_;
  }
  cv_.notify_all();
  if (wake) wake();
}

int OwnerQueue::drain() {
  std::deque<Task> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(tasks_);
  }
  int ran = 0;
  for (auto& task : batch) {
    task();
    ++ran;
  }
  return ran;
}

bool OwnerQueue::wait(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return cv_.wait_for(lock, timeout, [this] { return !tasks_.empty(); });
}

void OwnerQueue::discard() {
  std::deque<Task> dropped;
  std::lock_guard lock(mutex_);
  dropped.swap(tasks_);
}

bool OwnerQueue::empty() const {
  std::lock_guard lock(mutex_);
  return tasks_.empty();
}

}  // namespace wellvue::gst
