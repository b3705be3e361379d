// The reader thread of the polling: it runs the serial reads so the owner thread never waits on
// the port, and hands each completed read to the owner through a posting function. The next read
// starts as soon as the owner has handled the last one; its silent wait includes the polling
// interval, so a silent board still gives one poll per interval + read time-out.
#pragma once
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
  // on_read runs on the owner thread (wherever `post` delivers) with the bytes of one read.
  PollReader(SerialPort& port, Post post, std::function<void(const std::string&)> on_read);
  ~PollReader();
  PollReader(const PollReader&) = delete;
  PollReader& operator=(const PollReader&) = delete;

  // Owner thread. Starts the reads; interval_ms is added to the silent wait of every read.
  void start(std::uint32_t interval_ms);
  // Owner thread. Ends the read in progress at once and waits for the thread; a completion that
  // is already posted is then dropped when it arrives.
  void stop();
  bool running() const { return running_; }
  // Owner thread. Asks for a read when none is in flight (a timer tick); normally not needed,
  // since every handled read asks for the next.
  void kick();

 private:
  struct Shared;
  void thread_main(std::shared_ptr<Shared> shared, std::uint64_t generation);
  void deliver(const std::string& bytes, std::uint64_t generation);

  SerialPort& port_;
  Post post_;
  std::function<void(const std::string&)> on_read_;
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
  bool running_ = false;
};

}  // namespace wellvue
