#include "recording/disk_reserve.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "recording/recording_files.h"

namespace wellvue {

bool DiskReserve::create(const std::string& folder, std::uint64_t bytes) {
  release();
  const std::string path = (std::filesystem::path(folder) / kFileName).string();
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0 && errno == EEXIST && is_own_plain_file(path)) {
    ::unlink(path.c_str());
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  }
  if (fd < 0) return false;
  // Blocks really taken from the file system, not a sparse size.
  const int err = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes));
  ::close(fd);
  if (err != 0) {
    ::unlink(path.c_str());
    return false;
  }
  path_ = path;
  return true;
}

void DiskReserve::release() {
  if (path_.empty()) return;
  ::unlink(path_.c_str());
  path_.clear();
}

}  // namespace wellvue
