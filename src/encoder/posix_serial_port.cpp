#include "encoder/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>

namespace wellvue {

namespace {

using Clock = std::chrono::steady_clock;

// A burst larger than this is handed over in pieces; the rest waits in the driver's queue.
constexpr std::size_t kMaxReadBytes = 64 * 1024;

long long ms_until(Clock::time_point t) {
  const auto d = std::chrono::ceil<std::chrono::milliseconds>(t - Clock::now()).count();
  return d < 0 ? 0 : d;
}

}  // namespace

PosixSerialPort::PosixSerialPort() {
  if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
    wake_[0] = wake_[1] = -1;
  }
}

PosixSerialPort::~PosixSerialPort() {
  close();
  if (wake_[0] >= 0) ::close(wake_[0]);
  if (wake_[1] >= 0) ::close(wake_[1]);
}

bool PosixSerialPort::open(const std::string& name) {
  close();
  failure_ = OpenFailure::None;
  const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    switch (errno) {
      case ENOENT:
      case ENODEV:
      case ENXIO:
      case ENOTDIR:
        failure_ = OpenFailure::NoDevice;
        break;
      case EACCES:
      case EPERM:
      case EROFS:
        failure_ = OpenFailure::Permission;
        break;
      case EBUSY:
        failure_ = OpenFailure::Busy;
        break;  // held with TIOCEXCL
      default:
        failure_ = OpenFailure::Other;
        break;
    }
    return false;
  }
  // TIOCEXCL keeps other programs out (but not root); the advisory lock is what other serial
  // programs check, root included. Either one refused means the port is held.
  if (!::isatty(fd)) {
    failure_ = OpenFailure::NotSerial;
    ::close(fd);
    return false;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
    failure_ = OpenFailure::Busy;
    ::close(fd);
    return false;
  }
  struct stat st {};
  rdev_ = ::fstat(fd, &st) == 0 ? st.st_rdev : 0;
  name_ = name;
  {
    std::lock_guard lock(lost_mutex_);
    lost_reason_.clear();
  }
  lost_ = false;
  last_presence_check_ = Clock::now();
  fd_ = fd;
  return true;
}

void PosixSerialPort::mark_lost(const char* reason) {
  {
    std::lock_guard lock(lost_mutex_);
    if (lost_) return;
    lost_reason_ = reason;
  }
  lost_ = true;
}

std::string PosixSerialPort::lost_reason() const {
  std::lock_guard lock(lost_mutex_);
  return lost_reason_;
}

void PosixSerialPort::check_still_present() {
  const auto now = Clock::now();
  if (now - last_presence_check_ < std::chrono::milliseconds(500)) return;
  last_presence_check_ = now;
  struct stat st {};
  if (::stat(name_.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) mark_lost("p\xE9riph\xE9rique retir\xE9");
    return;
  }
  if (st.st_rdev != rdev_) mark_lost("le nom d\xE9signe un autre p\xE9riph\xE9rique");
}

bool PosixSerialPort::configure() {
  const int fd = fd_;
  if (fd < 0) return false;
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return false;
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | CRTSCTS);
  tio.c_cflag |= CS8 | CREAD | CLOCAL;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  const bool ok = ::tcsetattr(fd, TCSANOW, &tio) == 0;
  // Modem lines: a pseudo-terminal has none, which is no failure of the settings.
  set_modem_bit(TIOCM_RTS, true);
  set_modem_bit(TIOCM_DTR, false);
  return ok;
}

PortTimeouts PosixSerialPort::timeouts() const {
  std::lock_guard lock(timeouts_mutex_);
  return timeouts_;
}

void PosixSerialPort::set_timeouts(const PortTimeouts& t) {
  std::lock_guard lock(timeouts_mutex_);
  timeouts_ = t;
}

std::string PosixSerialPort::read_burst(std::uint32_t extra_wait_ms) {
  std::string out;
  const int fd = fd_;
  if (fd < 0) return out;
  const PortTimeouts t = timeouts();
  const auto start = Clock::now();
  const auto silent_ms =
      static_cast<long long>(extra_wait_ms) + t.read_multiplier + static_cast<long long>(t.read_constant);
  const long long gap_ms = t.read_interval > 0 ? t.read_interval : silent_ms - extra_wait_ms;
  const auto silent_end = start + std::chrono::milliseconds(silent_ms);
  bool got_any = false;
  Clock::time_point first_byte{};
  Clock::time_point last_byte{};
  char buf[4096];
  for (;;) {
    Clock::time_point end = silent_end;
    if (got_any) {
      end =
          std::min(last_byte + std::chrono::milliseconds(gap_ms), first_byte + std::chrono::milliseconds(kMaxBurstMs));
    }
    const long long wait = std::min<long long>(ms_until(end), std::numeric_limits<int>::max());
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    const int n = ::poll(fds, wake_[0] >= 0 ? 2 : 1, static_cast<int>(wait));
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (n == 0) {  // time-out
      if (!got_any) check_still_present();
      break;
    }
    if (fds[1].revents & POLLIN) {
      char c;
      while (::read(wake_[0], &c, 1) == 1) {
      }
      break;
    }
    if (fds[0].revents & POLLIN) {
      const ssize_t got = ::read(fd, buf, sizeof buf);
      if (got > 0) {
        const auto now = Clock::now();
        if (!got_any) first_byte = now;
        got_any = true;
        last_byte = now;
        for (ssize_t i = 0; i < got; ++i) {
          if (buf[i] != '\0') out.push_back(buf[i]);
        }
        if (out.size() >= kMaxReadBytes) break;
        continue;
      }
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      // End of file or error: the device is gone.
      mark_lost(got == 0 ? "fin de liaison (raccroch\xE9)"
                         : "erreur d'entr\xE9"
                           "e-sortie");
      break;
    }
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      mark_lost(fds[0].revents & POLLHUP ? "fin de liaison (raccroch\xE9)" : "erreur de la liaison");
      break;
    }
  }
  return out;
}

void PosixSerialPort::interrupt() {
  if (wake_[1] >= 0) {
    const char c = 1;
    [[maybe_unused]] const ssize_t r = ::write(wake_[1], &c, 1);
  }
}

void PosixSerialPort::clear_interrupt() {
  if (wake_[0] < 0) return;
  char c;
  while (::read(wake_[0], &c, 1) == 1) {
  }
}

void PosixSerialPort::set_modem_bit(int bit, bool on) {
  const int fd = fd_;
  if (fd < 0) return;
  ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bit);
}

void PosixSerialPort::set_dtr(bool on) { set_modem_bit(TIOCM_DTR, on); }
void PosixSerialPort::set_rts(bool on) { set_modem_bit(TIOCM_RTS, on); }

void PosixSerialPort::close() {
  const int fd = fd_.exchange(-1);
  if (fd < 0) return;
  ::ioctl(fd, TIOCNXCL);
  ::close(fd);  // also releases the lock
}

bool PosixSerialPort::is_open() const { return fd_ >= 0; }

long long PosixSerialPort::handle() const { return fd_; }

}  // namespace wellvue
