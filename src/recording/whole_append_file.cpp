#include "recording/whole_append_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace wellvue {

WholeAppendFile::~WholeAppendFile() { close(); }

bool WholeAppendFile::open(const std::string& path) {
  close();
  failed_ = false;
  whole_ = 0;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  return fd_ >= 0;
}

bool WholeAppendFile::append(std::string_view piece) {
  if (fd_ < 0) return false;
  const char* p = piece.data();
  std::size_t left = piece.size();
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
  // On the medium, not only in the system's cache: a power cut keeps the piece too.
  if (ok && ::fdatasync(fd_) != 0) ok = false;
  if (ok) {
    whole_ += static_cast<off_t>(piece.size());
    return true;
  }
  // Half a piece would run into the next one: the file goes back to its last whole piece, and the
  // next piece is tried there.
  failed_ = true;
  if (::ftruncate(fd_, whole_) != 0 || ::lseek(fd_, whole_, SEEK_SET) < 0) {
    ::close(fd_);
    fd_ = -1;
  }
  return false;
}

void WholeAppendFile::truncate() {
  if (fd_ < 0) return;
  whole_ = 0;
  if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) < 0) failed_ = true;
}

void WholeAppendFile::close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

}  // namespace wellvue
