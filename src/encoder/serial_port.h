// The serial port as the encoder link sees it: exclusive open by name, fixed 9600 8N1 raw line
// settings, the five read/write time-outs, burst reads, DTR and RTS. Implemented over termios.
#pragma once
#include <cstdint>
#include <string>

namespace wellvue {

// The five time-outs of the link window, in milliseconds.
struct PortTimeouts {
  std::uint32_t read_interval = 0;     // ReadIntervalTimeout
  std::uint32_t read_multiplier = 0;   // ReadTotalTimeoutMultiplier
  std::uint32_t read_constant = 0;     // ReadTotalTimeoutConstant
  std::uint32_t write_multiplier = 0;  // WriteTotalTimeoutMultiplier
  std::uint32_t write_constant = 0;    // WriteTotalTimeoutConstant
};

// A read never outlasts this once bytes have started to arrive, so a board that sends without a
// pause cannot hold the reader forever.
inline constexpr std::uint32_t kMaxBurstMs = 250;

// Why an open failed, so the operator is told what to do about it.
enum class OpenFailure {
  None,
  NoDevice,    // no such device (unplugged, or another name)
  Permission,  // the user may not open it
  Busy,        // another program holds it
  NotSerial,   // the name is no terminal device
  Other,
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Exclusive open of an existing device; false when it is absent or held by another program.
  // An already open port is closed first.
  virtual bool open(const std::string& name) = 0;
  // Why the last open failed (None after a successful one).
  virtual OpenFailure open_failure() const { return OpenFailure::None; }
  // Raw 9600 8N1, no flow control, RTS up and DTR down. True when the port took the settings.
  virtual bool configure() = 0;
  virtual PortTimeouts timeouts() const = 0;
  virtual void set_timeouts(const PortTimeouts& t) = 0;
  // Blocks until a burst is complete and returns its bytes (zero bytes removed):
  // - nothing arrives within extra_wait_ms + read_multiplier + read_constant: empty;
  // - once bytes arrive, the read ends read_interval ms after the last byte (the silent time-out
  //   above when read_interval is 0), and in any case kMaxBurstMs after the first byte;
  // - no port, a device gone, or interrupt(): at once, with what was read so far.
  virtual std::string read_burst(std::uint32_t extra_wait_ms = 0) = 0;
  // True once a read found the device gone (hang-up, I/O error, end of file, device node removed
  // or replaced), until the next open; lost_reason() says which, in French (CP1252).
  virtual bool lost() const { return false; }
  virtual std::string lost_reason() const { return {}; }
  // Ends the read_burst in progress on another thread, or the next one if none is. Safe from any
  // thread. clear_interrupt() withdraws an interrupt that no read has consumed.
  virtual void interrupt() = 0;
  virtual void clear_interrupt() = 0;
  virtual void set_dtr(bool on) = 0;
  virtual void set_rts(bool on) = 0;
  virtual void close() = 0;
  virtual bool is_open() const = 0;
  // The handle value for the open trace.
  virtual long long handle() const = 0;
};

}  // namespace wellvue
