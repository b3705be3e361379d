// SerialPort over a POSIX tty: TIOCEXCL plus flock for an exclusive open (so it also holds
// against root), termios raw 9600 8N1, modem lines by ioctl, reads with poll() time-outs.
#pragma once
#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "encoder/serial_port.h"

namespace wellvue {

class PosixSerialPort : public SerialPort {
 public:
  PosixSerialPort();
  ~PosixSerialPort() override;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  bool open(const std::string& name) override;
  OpenFailure open_failure() const override { return failure_; }
  bool configure() override;
  PortTimeouts timeouts() const override;
  void set_timeouts(const PortTimeouts& t) override;
  std::string read_burst(std::uint32_t extra_wait_ms = 0) override;
  void interrupt() override;
  void set_dtr(bool on) override;
  void set_rts(bool on) override;
  void close() override;
  bool is_open() const override;
  long long handle() const override;
  void clear_interrupt() override;
  bool lost() const override { return lost_; }
  std::string lost_reason() const override;

 private:
  void set_modem_bit(int bit, bool on);
  void mark_lost(const char* reason);
  // A device can vanish without a hang-up reaching the reader: its node goes, or the name now
  // names another device. Checked after silent reads, at most twice a second.
  void check_still_present();

  std::atomic<int> fd_{-1};
  int wake_[2] = {-1, -1};  // self-pipe that interrupt() writes to
  mutable std::mutex timeouts_mutex_;
  PortTimeouts timeouts_{};
  OpenFailure failure_ = OpenFailure::None;
  std::string name_;
  dev_t rdev_ = 0;
  std::atomic<bool> lost_{false};
  mutable std::mutex lost_mutex_;
  std::string lost_reason_;
  std::chrono::steady_clock::time_point last_presence_check_{};
};

// Port names of the system: the tty devices under /sys/class/tty that have a `device` link,
// as /dev paths, sorted as text. `sys_class_tty` is for tests.
std::vector<std::string> list_serial_ports(const std::string& sys_class_tty = "/sys/class/tty");

}  // namespace wellvue
