// The reader thread of the polling: it runs the serial reads so the owner thread never waits on
// the port, and hands each completed read, stamped with the moment it completed, to the owner
// through a posting function. Reads follow one another whether or not the owner has handled the
// last ones, so a busy owner delays the handling of a line but not its time; a silent read's wait
// includes the polling interval, so a silent board still gives one poll per interval + time-out.
// A port found gone is closed at once and its device looked for once a second, so an unplugged
// board costs nothing and is taken up again by itself when it comes back.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "encoder/serial_port.h"

namespace wellvue {

class PollReader {
 public:
  using Post = std::function<void(std::function<void()>)>;
  using ReadTime = std::chrono::steady_clock::time_point;
  // on_read runs on the owner thread (wherever `post` delivers) with the bytes of one read and the
  // moment that read completed, taken on the reader thread: a late owner does not make it late.
  using OnRead = std::function<void(const std::string& bytes, ReadTime completed)>;
  // The link went down (lost true, with the port's reason) or came back (lost false), on the
  // owner thread, in order with the reads.
  using OnLink = std::function<void(bool lost, const std::string& reason, ReadTime at)>;
  // Runs on the reader thread once a second while the link is down: true when the port is open
  // and set up again.
  using Reopen = std::function<bool()>;
  PollReader(SerialPort& port, Post post, OnRead on_read, OnLink on_link = {});
  ~PollReader();
  PollReader(const PollReader&) = delete;
  PollReader& operator=(const PollReader&) = delete;

  // Owner thread. Starts the reads; interval_ms is added to the silent wait of every read.
  // reopen, if given, is how a lost port is opened again.
  void start(std::uint32_t interval_ms, Reopen reopen = {});
  // Owner thread. Ends the read in progress at once and waits for the thread; a completion that
  // is already posted is then dropped when it arrives.
  void stop();
  bool running() const { return running_; }
  // Owner thread. Wakes a reader held back by too many unhandled reads (a timer tick); normally
  // not needed, since every handled read makes room.
  void kick();
  // Owner thread. Handles at once, in order, every completion already made, and returns the moment
  // it found none left: every read that completes later is stamped later, so something timed by
  // it comes after all reads before and before all reads after. nullopt when not running or
  // called while a completion is handled.
  std::optional<ReadTime> handle_completed();
  // Reads completed and not yet handled, beyond which the reader waits for the owner.
  static constexpr std::uint32_t kMaxPending = 256;
  // How often a lost port's device is looked for.
  static constexpr std::chrono::milliseconds kReopenEvery{1000};

 private:
  struct Shared;
  struct Completion;
  void thread_main(std::shared_ptr<Shared> shared, std::uint64_t generation);
  void push(const std::shared_ptr<Shared>& shared, std::uint64_t generation, Completion c);
  // Handles the oldest completion, if any; false when there was none, and then the moment it
  // found none goes to none_left_at.
  bool handle_one(std::uint64_t generation, std::optional<ReadTime>* none_left_at = nullptr);

  SerialPort& port_;
  Post post_;
  OnRead on_read_;
  OnLink on_link_;
  Reopen reopen_;
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
  bool running_ = false;
  bool handling_ = false;
};

}  // namespace wellvue
