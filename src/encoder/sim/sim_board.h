// A simulated encoder board on a pseudo-terminal: the station opens the slave side like a serial
// port; the board sees the open (as the real board resets on it) and sends its lines.
#pragma once
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace wellvue {

struct SimOptions {
  int period_ms = 100;             // one line per period
  long long start = 0;             // count at every open
  int boot_ms = 1500;              // silence after an open
  bool use_lines = false;          // send `lines` instead of counting
  std::vector<std::string> lines;  // sent one per period, each followed by CR LF unless !eol
  bool eol = true;
  long long exit_after = -1;  // stop after that many lines (-1: never)
  std::string log_path;       // per line: CLOCK_MONOTONIC ms of its last byte, a blank, the line
};

// CLOCK_MONOTONIC in milliseconds with decimals.
double monotonic_ms();

class SimBoard {
 public:
  SimBoard();  // throws std::runtime_error when no pseudo-terminal can be made
  ~SimBoard();
  SimBoard(const SimBoard&) = delete;
  SimBoard& operator=(const SimBoard&) = delete;

  const std::string& slave_path() const { return slave_path_; }
  // True while a program holds the slave side open.
  bool slave_open() const;
  // Waits until the slave is open (true) or the time passes (false).
  bool wait_slave_open(int timeout_ms) const;
  // Writes all bytes; returns CLOCK_MONOTONIC ms once the last one is written (-1 on failure).
  double write_bytes(const std::string& bytes);
  // Unplugs the board: the master side closes; the slave's reads then end at once. Safe while
  // run() goes on in another thread.
  void unplug();

  // Runs the board until `stop` becomes true or exit_after lines were sent. on_sent, if given,
  // gets each line as sent and the time of its last byte. Returns the lines sent.
  long long run(const SimOptions& options, const std::atomic<bool>& stop,
                const std::function<void(const std::string&, double)>& on_sent = {});

 private:
  // Held while the master is used: unplug() never closes it under a write, and a write never
  // goes to a descriptor number reused after the close.
  mutable std::mutex master_mutex_;
  int master_ = -1;
  std::string slave_path_;
};

}  // namespace wellvue
