#include "encoder/event_queue.h"

namespace wellvue {

void EventQueue::post(std::function<void()> fn) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(fn));
  }
  cv_.notify_one();
}

std::function<void(std::function<void()>)> EventQueue::sink() {
  return [this](std::function<void()> fn) { post(std::move(fn)); };
}

std::size_t EventQueue::size() {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

std::size_t EventQueue::run_for(std::chrono::milliseconds timeout) {
  std::size_t ran = 0;
  for (;;) {
    std::function<void()> fn;
    {
      std::unique_lock lock(mutex_);
      if (!cv_.wait_for(lock, timeout, [this] { return !queue_.empty() || stopped_; })) return ran;
      if (stopped_) return ran;
      fn = std::move(queue_.front());
      queue_.pop_front();
    }
    fn();
    ++ran;
  }
}

bool EventQueue::run_until(const std::function<bool()>& pred, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  if (pred()) return true;
  for (;;) {
    std::function<void()> fn;
    {
      std::unique_lock lock(mutex_);
      if (!cv_.wait_until(lock, end, [this] { return !queue_.empty() || stopped_; })) return pred();
      if (stopped_) return pred();
      fn = std::move(queue_.front());
      queue_.pop_front();
    }
    fn();
    if (pred()) return true;
  }
}

void EventQueue::run() {
  for (;;) {
    std::function<void()> fn;
    {
      std::unique_lock lock(mutex_);
      cv_.wait(lock, [this] { return !queue_.empty() || stopped_; });
      if (stopped_) return;
      fn = std::move(queue_.front());
      queue_.pop_front();
    }
    fn();
  }
}

void EventQueue::stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  cv_.notify_all();
}

}  // namespace wellvue
