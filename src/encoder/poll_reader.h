// The reader thread of the polling: it runs the serial reads so the owner thread never waits on
// the port, and hands each completed read, stamped with the moment it completed, to the owner
// through a posting function. Reads follow one another whether or not the owner has handled the
// last ones, so a busy owner delays the handling of a line but not its time; a silent read's wait
// includes the polling interval, so a silent board still gives one poll per interval + time-out.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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
  PollReader(SerialPort& port, Post post, OnRead on_read);
  ~PollReader();
  PollReader(const PollReader&) = delete;
  PollReader& operator=(const PollReader&) = delete;

  // Owner thread. Starts the reads; interval_ms is added to the silent wait of every read.
  void start(std::uint32_t interval_ms);
  // Owner thread. Ends the read in progress at once and waits for the thread; a completion that
  // is already posted is then dropped when it arrives.
  void stop();
  bool running() const { return running_; }
  // Owner thread. Wakes a reader held back by too many unhandled reads (a timer tick); normally
  // not needed, since every handled read makes room.
  void kick();
  // Reads completed and not yet handled, beyond which the reader waits for the owner.
  static constexpr std::uint32_t kMaxPending = 256;

 private:
  struct Shared;
  void thread_main(std::shared_ptr<Shared> shared, std::uint64_t generation);
  void deliver(const std::string& bytes, ReadTime completed, std::uint64_t generation);

  SerialPort& port_;
  Post post_;
  OnRead on_read_;
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
  bool running_ = false;
};

}  // namespace wellvue
