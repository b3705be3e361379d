#include "encoder/poll_reader.h"

#include <chrono>

namespace wellvue {

struct PollReader::Completion {
  enum class Kind { Read, Lost, Back } kind = Kind::Read;
  std::string bytes;  // the read's bytes, or the reason of a loss
  ReadTime at{};
};

struct PollReader::Shared {
  std::mutex mutex;
  std::condition_variable cv;
  std::deque<Completion> ready;  // completions made and not yet handled
  bool quit = false;
  std::uint32_t interval_ms = 0;
  // Owner-thread fields: completions of another generation, or arriving after the reader is
  // gone, are dropped.
  std::uint64_t generation = 0;
  PollReader* owner = nullptr;
};

PollReader::PollReader(SerialPort& port, Post post, OnRead on_read, OnLink on_link)
    : port_(port),
      post_(std::move(post)),
      on_read_(std::move(on_read)),
      on_link_(std::move(on_link)),
      shared_(std::make_shared<Shared>()) {
  shared_->owner = this;
}

PollReader::~PollReader() {
  stop();
  shared_->owner = nullptr;
}

void PollReader::start(std::uint32_t interval_ms, Reopen reopen) {
  stop();
  reopen_ = std::move(reopen);
  {
    std::lock_guard lock(shared_->mutex);
    shared_->quit = false;
    shared_->ready.clear();
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
  {
    std::lock_guard lock(shared_->mutex);
    shared_->ready.clear();
  }
  ++shared_->generation;  // a completion still queued for the owner is now stale
  running_ = false;
}

void PollReader::kick() {
  if (running_) shared_->cv.notify_all();
}

void PollReader::push(const std::shared_ptr<Shared>& shared, std::uint64_t generation, Completion c) {
  {
    std::lock_guard lock(shared->mutex);
    if (shared->quit) return;
    // Stamped under the lock, so handle_completed() can tell which reads came before its moment.
    c.at = std::chrono::steady_clock::now();
    shared->ready.push_back(std::move(c));
  }
  post_([shared, generation] {
    if (shared->owner != nullptr && shared->generation == generation) shared->owner->handle_one(generation);
  });
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
      shared->cv.wait(lock, [&] { return shared->ready.size() < kMaxPending || shared->quit; });
      if (shared->quit) return;
      // Empty reads that end at once still start no more often than once an interval; after a
      // read with bytes the next starts at once, so a line that follows soon is not held.
      if (!last_had_bytes) shared->cv.wait_until(lock, last_start + interval, [&] { return shared->quit; });
      if (shared->quit) return;
    }
    last_start = Clock::now();
    // The interval is part of the silent wait, so a line that arrives at any moment is read at once.
    std::string bytes = port_.read_burst(interval_ms);
    last_had_bytes = !bytes.empty();
    const bool lost = port_.lost();
    // The bytes that came before a hang-up are handled before the loss.
    if (!bytes.empty() || !lost) push(shared, generation, {Completion::Kind::Read, std::move(bytes), {}});
    if (!lost) continue;
    // Released at once: a USB device that comes back takes its old name only once it is free.
    const std::string reason = port_.lost_reason();
    port_.close();
    push(shared, generation, {Completion::Kind::Lost, reason, {}});
    for (;;) {
      {
        std::unique_lock lock(shared->mutex);
        if (shared->cv.wait_for(lock, kReopenEvery, [&] { return shared->quit; })) return;
      }
      if (reopen_ && reopen_()) break;
    }
    last_had_bytes = false;
    push(shared, generation, {Completion::Kind::Back, std::string(), {}});
  }
}

bool PollReader::handle_one(std::uint64_t generation, std::optional<ReadTime>* none_left_at) {
  Completion c;
  {
    std::lock_guard lock(shared_->mutex);
    if (shared_->generation != generation || shared_->ready.empty()) {
      if (none_left_at) *none_left_at = std::chrono::steady_clock::now();
      return false;
    }
    c = std::move(shared_->ready.front());
    shared_->ready.pop_front();
  }
  shared_->cv.notify_all();
  // The flag is cleared even when the handler throws (a conversion error ends one poll, never
  // the polling).
  struct Handling {
    bool& flag;
    ~Handling() { flag = false; }
  } handling{handling_};
  handling_ = true;
  if (c.kind == Completion::Kind::Read) {
    on_read_(c.bytes, c.at);
  } else if (on_link_) {
    on_link_(c.kind == Completion::Kind::Lost, c.bytes, c.at);
  }
  return true;
}

std::optional<PollReader::ReadTime> PollReader::handle_completed() {
  if (!running_ || handling_) return std::nullopt;
  const std::uint64_t generation = shared_->generation;
  std::optional<ReadTime> none_left_at;
  while (running_ && shared_->generation == generation && handle_one(generation, &none_left_at)) {
  }
  return none_left_at;
}

}  // namespace wellvue
