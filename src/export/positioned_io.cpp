#include "export/positioned_io.h"

#include <unistd.h>

namespace wellvue::exporting {

bool read_at(int fd, char* to, std::size_t n, off_t at) {
  while (n > 0) {
    const ssize_t got = ::pread(fd, to, n, at);
    if (got <= 0) return false;
    to += got;
    n -= static_cast<std::size_t>(got);
    at += got;
  }
  return true;
}

bool write_at(int fd, const char* from, std::size_t n, off_t at) {
  while (n > 0) {
    const ssize_t put = ::pwrite(fd, from, n, at);
    if (put <= 0) return false;
    from += put;
    n -= static_cast<std::size_t>(put);
    at += put;
  }
  return true;
}

}  // namespace wellvue::exporting
