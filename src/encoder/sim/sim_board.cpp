#include "sim_board.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "util/numbers.h"

namespace wellvue {

double monotonic_ms() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

SimBoard::SimBoard() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  char name[128];
  if (::ptsname_r(master_, name, sizeof name) != 0) throw std::runtime_error("no pseudo-terminal name");
  slave_path_ = name;
  // Raw from the start, so the bytes reach the station as sent even before it sets the port up;
  // the settings stay with the pseudo-terminal after this open is closed.
  const int s = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (s >= 0) {
    termios tio{};
    if (::tcgetattr(s, &tio) == 0) {
      ::cfmakeraw(&tio);
      ::tcsetattr(s, TCSANOW, &tio);
    }
    ::close(s);
  }
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

SimBoard::~SimBoard() { unplug(); }

bool SimBoard::slave_open() const {
  const std::lock_guard<std::mutex> lock(master_mutex_);
  if (master_ < 0) return false;
  pollfd p{master_, POLLIN, 0};
  if (::poll(&p, 1, 0) < 0) return false;
  // The master hangs up while no program holds the slave side.
  return (p.revents & POLLHUP) == 0;
}

bool SimBoard::wait_slave_open(int timeout_ms) const {
  const double end = monotonic_ms() + timeout_ms;
  while (!slave_open()) {
    if (monotonic_ms() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

double SimBoard::write_bytes(const std::string& bytes) {
  const std::lock_guard<std::mutex> lock(master_mutex_);
  if (master_ < 0) return -1;
  std::size_t done = 0;
  int stalls = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      stalls = 0;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN && ++stalls < 2000) {
      // The station is not reading; its queue is full. Wait a little, then drop the rest.
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    return -1;
  }
  return monotonic_ms();
}

void SimBoard::unplug() {
  const std::lock_guard<std::mutex> lock(master_mutex_);
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

long long SimBoard::run(const SimOptions& o, const std::atomic<bool>& stop,
                        const std::function<void(const std::string&, double)>& on_sent) {
  std::ofstream log;
  if (!o.log_path.empty()) log.open(o.log_path, std::ios::trunc);
  long long sent = 0;
  long long count = o.start;
  std::size_t next_line = 0;
  bool was_open = false;
  double boot_end = 0;
  double next_send = 0;
  while (!stop.load()) {
    if (o.exit_after >= 0 && sent >= o.exit_after) break;
    const bool open = slave_open();
    const double now = monotonic_ms();
    if (open && !was_open) {
      // Like the real board: the open resets it; it restarts its count after its boot time.
      count = o.start;
      next_line = 0;
      boot_end = now + o.boot_ms;
      next_send = boot_end;
    }
    was_open = open;
    if (!open || now < next_send) {
      const double wait = open ? std::min(next_send - now, 5.0) : 5.0;
      std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long long>(wait * 1000)));
      continue;
    }
    std::string line;
    if (o.use_lines) {
      if (next_line >= o.lines.size()) {
        // Everything sent: the board stays silent (a given count of lines repeats the list).
        if (o.exit_after < 0 || o.lines.empty()) {
          next_send = now + o.period_ms;
          continue;
        }
        next_line = 0;
      }
      line = o.lines[next_line++];
    } else {
      line = std::to_string(count++) + "|";
    }
    const double t = write_bytes(o.eol ? line + "\r\n" : line);
    if (t >= 0) {
      ++sent;
      if (log) {
        // Read back by tests: never the C library's decimal comma.
        log << fixed_text(t, 3) << ' ' << line << '\n' << std::flush;
      }
      if (on_sent) on_sent(line, t);
    }
    next_send += o.period_ms;
    if (next_send < now - o.period_ms) next_send = now;  // never burst to catch up after a stall
  }
  return sent;
}

}  // namespace wellvue
