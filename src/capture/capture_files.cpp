#include "capture/capture_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace wellvue {
namespace fs = std::filesystem;

bool CaptureFiles::exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::path(path), ec);
}

bool CaptureFiles::remove(const std::string& path) {
  std::error_code ec;
  fs::remove(fs::path(path), ec);
  return !exists(path);
}

void CaptureFiles::rename(const std::string& from, const std::string& to, std::error_code& ec) {
  fs::rename(fs::path(from), fs::path(to), ec);
}

void CaptureFiles::copy(const std::string& from, const std::string& to, std::error_code& ec) {
  fs::copy_file(fs::path(from), fs::path(to), fs::copy_options::overwrite_existing, ec);
}

bool CaptureFiles::preallocate(const std::string& path, std::uint64_t bytes) {
  std::error_code ec;
  fs::path p(path);
  fs::path folder = p.has_parent_path() ? p.parent_path() : fs::current_path(ec);
  const fs::space_info space = fs::space(folder, ec);
  if (ec || bytes > space.available) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  int err = 0;
  if (bytes > 0) {
    err = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes));
    // File systems without allocation support: fall back to setting the size.
    if (err == EOPNOTSUPP || err == EINVAL) err = ::ftruncate(fd, static_cast<off_t>(bytes)) == 0 ? 0 : errno;
  }
  ::close(fd);
  if (err != 0) {
    remove(path);
    return false;
  }
  return true;
}

bool CaptureFiles::move(const std::string& from, const std::string& to, std::error_code& ec) {
  ec.clear();
  rename(from, to, ec);
  if (!ec) return true;
  if (ec != std::errc::cross_device_link) return false;
  // Another file system: copy beside the target, then swap it in, then drop the source.
  const std::string part = to + ".part";
  ec.clear();
  copy(from, part, ec);
  if (ec) {
    remove(part);
    return false;
  }
  rename(part, to, ec);
  if (ec) {
    remove(part);
    return false;
  }
  remove(from);
  return true;
}

std::string ResolveTempFileName(const std::string& temp, const std::string& final_name) {
  if (temp.empty()) return temp;
  const fs::path t(temp);
  if (t.is_absolute()) return temp;
  const fs::path folder = fs::path(final_name).parent_path();
  if (folder.empty()) return temp;
  return (folder / t).string();
}

}  // namespace wellvue
