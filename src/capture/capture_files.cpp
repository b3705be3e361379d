#include "capture/capture_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

namespace wellvue {
namespace fs = std::filesystem;

bool CaptureFiles::exists(const std::string& path) { return entry_kind(path) != EntryKind::None; }

EntryKind CaptureFiles::entry_kind(const std::string& path) {
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(fs::path(path), ec);
  if (ec || !fs::exists(st)) return EntryKind::None;
  return fs::is_regular_file(st) ? EntryKind::PlainFile : EntryKind::Other;
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
  ec.clear();
  const int in = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (in < 0) {
    ec.assign(errno, std::generic_category());
    return;
  }
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (out < 0) {
    ec.assign(errno, std::generic_category());
    ::close(in);
    return;
  }
  std::vector<char> buf(1 << 20);
  for (;;) {
    const ssize_t n = ::read(in, buf.data(), buf.size());
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ec.assign(errno, std::generic_category());
      break;
    }
    for (ssize_t done = 0; done < n && !ec;) {
      const ssize_t w = ::write(out, buf.data() + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) ec.assign(w < 0 ? errno : ENOSPC, std::generic_category());
      else done += w;
    }
    if (ec) break;
  }
  if (!ec && ::fsync(out) != 0) ec.assign(errno, std::generic_category());
  if (::close(out) != 0 && !ec) ec.assign(errno, std::generic_category());
  ::close(in);
}

bool CaptureFiles::preallocate(const std::string& path, std::uint64_t bytes) {
  std::error_code ec;
  fs::path p(path);
  fs::path folder = p.has_parent_path() ? p.parent_path() : fs::current_path(ec);
  const fs::space_info space = fs::space(folder, ec);
  if (ec || bytes > space.available) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
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
  // A part file left by an earlier move is ours to drop; anything else there is not touched.
  if (entry_kind(part) == EntryKind::PlainFile) remove(part);
  copy(from, part, ec);
  if (ec) {
    if (ec != std::errc::file_exists && entry_kind(part) == EntryKind::PlainFile) remove(part);
    return false;
  }
  rename(part, to, ec);
  if (ec) {
    if (entry_kind(part) == EntryKind::PlainFile) remove(part);
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
  std::error_code ec;
  return fs::absolute(folder.empty() ? t : folder / t, ec).string();
}

}  // namespace wellvue
