#include "capture/avi/set_aside.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace wellvue::avi {

std::string set_aside(const std::string& path, std::error_code& ec) {
  ec.clear();
  for (int n = 0; n < 1000; ++n) {
    std::string target = path + ".irrecuperable";
    if (n > 0) target += "." + std::to_string(n);
    // renameat2(RENAME_NOREPLACE) refuses an existing target atomically; link + unlink does the
    // same on file systems without it.
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return target;
    if (errno == EEXIST) continue;
    if (errno == EINVAL || errno == ENOSYS) {
      if (::link(path.c_str(), target.c_str()) == 0) {
        ::unlink(path.c_str());
        return target;
      }
      if (errno == EEXIST) continue;
    }
    ec.assign(errno, std::generic_category());
    return {};
  }
  ec = std::make_error_code(std::errc::file_exists);
  return {};
}

}  // namespace wellvue::avi
