#include "encoder/poll_reader.h"

#include <chrono>

namespace wellvue {

struct PollReader::Shared {
  std::mutex mutex;
  std::condition_variable cv;
  std::uint32_t pending = 0;  // completions posted and not yet handled
  bool quit = false;
  std::uint32_t interval_ms = 0;
  // Owner-thread fields: completions of another generation, or arriving after the reader is
  // gone, are dropped.
  std::uint64_t generation = 0;
  PollReader* owner = nullptr;
};

PollReader::PollReader(SerialPort& port, Post post, OnRead on_read)
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
    shared_->pending = 0;
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
  if (running_) shared_->cv.notify_all();
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
  bool last_had_bytes = false;
  for (;;) {
    {
      std::unique_lock lock(shared->mutex);
      shared->cv.wait(lock, [&] { return shared->pending < kMaxPending || shared->quit; });
      if (shared->quit) return;
      // Empty reads that end at once (no device) still start no more often than once an interval;
      // after a read with bytes the next starts at once, so a line that follows soon is not held.
      if (!last_had_bytes) shared->cv.wait_until(lock, last_start + interval, [&] { return shared->quit; });
      if (shared->quit) return;
    }
    last_start = Clock::now();
    // The interval is part of the silent wait, so a line that arrives at any moment is read at once.
    std::string bytes = port_.read_burst(interval_ms);
    const ReadTime completed = Clock::now();
    last_had_bytes = !bytes.empty();
    {
      std::lock_guard lock(shared->mutex);
      if (shared->quit) return;
      ++shared->pending;
    }
    post_([shared, generation, completed, bytes = std::move(bytes)] {
      if (shared->owner != nullptr && shared->generation == generation) {
        shared->owner->deliver(bytes, completed, generation);
      }
    });
  }
}

void PollReader::deliver(const std::string& bytes, ReadTime completed, std::uint64_t generation) {
  // The read is handled even when the handler throws (a conversion error ends one poll, never the
  // polling), unless the handler stopped or restarted the reader.
  struct Handled {
    PollReader& r;
    std::uint64_t generation;
    ~Handled() {
      if (!r.running_ || r.shared_->generation != generation) return;
      {
        std::lock_guard lock(r.shared_->mutex);
        if (r.shared_->pending > 0) --r.shared_->pending;
      }
      r.shared_->cv.notify_all();
    }
  } handled{*this, generation};
  on_read_(bytes, completed);
}

}  // namespace wellvue
