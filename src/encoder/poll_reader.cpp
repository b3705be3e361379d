#include "encoder/poll_reader.h"

#include <chrono>

namespace wellvue {

struct PollReader::Shared {
  std::mutex mutex;
  std::condition_variable cv;
  bool want_read = false;   // the owner has handled the last read
  bool in_flight = false;   // a read is running or its result is on its way
  bool quit = false;
  std::uint32_t interval_ms = 0;
  // Owner-thread fields: completions of another generation, or arriving after the reader is
  // gone, are dropped.
  std::uint64_t generation = 0;
  PollReader* owner = nullptr;
};

PollReader::PollReader(SerialPort& port, Post post, std::function<void(const std::string&)> on_read)
    : port_(port), post_(std::move(post)), on_read_(std::move(on_read)), shared_(std::make_shared<Shared>()) {
  shared_->owner = this;
}

PollReader::~PollReader() {
  stop();
  shared_->owner = nullptr;
}

void PollReader::start(std::uint32_t interval_ms) {
  stop();
  {
    std::lock_guard lock(shared_->mutex);
    shared_->quit = false;
    shared_->want_read = true;
    shared_->in_flight = false;
    shared_->interval_ms = interval_ms;
  }
  const std::uint64_t generation = ++shared_->generation;
  running_ = true;
  thread_ = std::thread([this, shared = shared_, generation] { thread_main(shared, generation); });
}

void PollReader::stop() {
  if (!running_) return;
  {
    std::lock_guard lock(shared_->mutex);
    shared_->quit = true;
  }
  shared_->cv.notify_all();
  port_.interrupt();
  if (thread_.joinable()) thread_.join();
  port_.clear_interrupt();
  ++shared_->generation;  // a completion still queued for the owner is now stale
  running_ = false;
}

void PollReader::kick() {
  if (!running_) return;
  {
    std::lock_guard lock(shared_->mutex);
    if (shared_->in_flight) return;
    shared_->want_read = true;
  }
  shared_->cv.notify_all();
}

void PollReader::thread_main(std::shared_ptr<Shared> shared, std::uint64_t generation) {
  using Clock = std::chrono::steady_clock;
  std::uint32_t interval_ms = 0;
  {
    std::lock_guard lock(shared->mutex);
    interval_ms = shared->interval_ms;
  }
  const auto interval = std::chrono::milliseconds(interval_ms);
  Clock::time_point last_start = Clock::now() - interval;
  for (;;) {
    {
      std::unique_lock lock(shared->mutex);
      shared->cv.wait(lock, [&] { return shared->want_read || shared->quit; });
      if (shared->quit) return;
      // Reads that end at once (no device) still start no more often than once an interval.
      shared->cv.wait_until(lock, last_start + interval, [&] { return shared->quit; });
      if (shared->quit) return;
      shared->want_read = false;
      shared->in_flight = true;
    }
    last_start = Clock::now();
    // The interval is part of the silent wait, so a line that arrives at any moment is read at once.
    std::string bytes = port_.read_burst(interval_ms);
    {
      std::lock_guard lock(shared->mutex);
      if (shared->quit) return;
    }
    post_([shared, generation, bytes = std::move(bytes)] {
      if (shared->owner != nullptr && shared->generation == generation) {
        shared->owner->deliver(bytes, generation);
      }
    });
  }
}

void PollReader::deliver(const std::string& bytes, std::uint64_t generation) {
  // The next read is asked for even when the handler throws (a conversion error ends one poll,
  // never the polling), unless the handler stopped or restarted the reader.
  struct Next {
    PollReader& r;
    std::uint64_t generation;
    ~Next() {
      if (!r.running_ || r.shared_->generation != generation) return;
      {
        std::lock_guard lock(r.shared_->mutex);
        r.shared_->in_flight = false;
        r.shared_->want_read = true;
      }
      r.shared_->cv.notify_all();
    }
  } next{*this, generation};
  on_read_(bytes);
}

}  // namespace wellvue
