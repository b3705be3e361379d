#include "recording/srt_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace wellvue {

SrtJournal::~SrtJournal() { close(); }

bool SrtJournal::open(const std::string& path) {
  close();
  failed_ = false;
  whole_ = 0;
  pending_.clear();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  return fd_ >= 0;
}

bool SrtJournal::can_open(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  if (errno != ENOENT) return false;
  fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(path.c_str());
  return true;
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
  whole_ = 0;
  if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) < 0) failed_ = true;
}

void SrtJournal::write_pending() {
  const char* p = pending_.data();
  std::size_t left = pending_.size();
  bool ok = true;
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  // On the medium, not only in the system's cache: a power cut keeps the entry too.
  if (ok && ::fdatasync(fd_) != 0) ok = false;
  if (ok) {
    whole_ += static_cast<off_t>(pending_.size());
  } else {
    // Half an entry would run into the next one: the file goes back to its last whole entry, and
    // the next entry is tried there (the stop writes the whole track from memory anyway).
    failed_ = true;
    if (::ftruncate(fd_, whole_) != 0 || ::lseek(fd_, whole_, SEEK_SET) < 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  pending_.clear();
}

void SrtJournal::close() {
  if (fd_ < 0) return;
  if (!pending_.empty()) write_pending();
  ::close(fd_);
  fd_ = -1;
}

}  // namespace wellvue
