#include "app/recording/srt_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace wellvue {

SrtJournal::~SrtJournal() { close(); }

bool SrtJournal::open(const std::string& path) {
  close();
  failed_ = false;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd_ >= 0;
}

void SrtJournal::line(const std::string& text) {
  if (fd_ < 0) return;
  pending_ += text;
  pending_ += "\r\n";
  if (text.empty()) write_pending();
}

void SrtJournal::cleared() {
  if (fd_ < 0) return;
  pending_.clear();
  if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) < 0) failed_ = true;
}

void SrtJournal::write_pending() {
  const char* p = pending_.data();
  std::size_t left = pending_.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  pending_.clear();
  // On the medium, not only in the system's cache: a power cut keeps the entry too.
  if (::fdatasync(fd_) != 0) failed_ = true;
}

void SrtJournal::close() {
  if (fd_ < 0) return;
  if (!pending_.empty()) write_pending();
  ::close(fd_);
  fd_ = -1;
}

}  // namespace wellvue
