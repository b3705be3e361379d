#include "util/text_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <system_error>

#include "util/cp1252.h"
#include "util/file_error.h"

namespace wellvue {
namespace fs = std::filesystem;

namespace {

// A name no other writer of this process or another one uses at the same time.
fs::path temporary_beside(const fs::path& path) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path tmp = path;
  tmp +=
      ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(stamp) + "-" + std::to_string(counter.fetch_add(1));
  return tmp;
}

bool write_fully(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Writes the lines with their line end through a buffer of its own (no copy of the whole file in memory).
bool write_lines_synced(const fs::path& file, const std::vector<std::string>& lines, const char* line_end) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  constexpr std::size_t kChunk = 1 << 18;
  std::string buffer;
  buffer.reserve(kChunk + 256);
  bool ok = true;
  for (const auto& line : lines) {
    buffer += line;
    buffer += line_end;
    if (buffer.size() >= kChunk) {
      ok = write_fully(fd, buffer.data(), buffer.size());
      buffer.clear();
      if (!ok) break;
    }
  }
  if (ok) ok = write_fully(fd, buffer.data(), buffer.size());
  // On disk before the rename, so a power cut leaves the old file or the new one, whole.
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  return ok;
}

}  // namespace

std::vector<std::string> split_text_lines(std::string_view text) {
  std::vector<std::string> lines;
  const std::size_t n = text.size();
  // Reserved ahead: a million lines must not be moved again and again while the list grows.
  lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) +
                static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r')) / 2 + 1);
  std::size_t start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char ch = text[i];
    if (ch != '\r' && ch != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (ch == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < n) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::string> read_text_lines(const fs::path& path) {
  const std::string name = utf8_to_cp1252(path.string());
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) throw FileError(cannot_open_file_text(name));
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError(cannot_open_file_text(name));
  // One read of the whole file; a file that grows meanwhile is read up to its size at the start.
  const auto size = fs::file_size(path, ec);
  if (ec) throw FileError(cannot_open_file_text(name));
  std::string text(static_cast<std::size_t>(size), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad() || in.gcount() != static_cast<std::streamsize>(text.size()))
    throw FileError(cannot_open_file_text(name));
  return split_text_lines(text);
}

namespace {

bool write_lines_replacing(const fs::path& path, const std::vector<std::string>& lines, bool create_parents,
                           const char* line_end) {
  std::error_code ec;
  const fs::path parent = path.parent_path();
  if (create_parents && !parent.empty()) fs::create_directories(parent, ec);
  if (fs::is_directory(path, ec)) return false;
  const fs::path tmp = temporary_beside(path);
  bool ok = write_lines_synced(tmp, lines, line_end);
  if (ok) {
    fs::rename(tmp, path, ec);
    ok = !ec;
  }
  if (!ok) fs::remove(tmp, ec);
  return ok;
}

}  // namespace

bool write_text_lines(const fs::path& path, const std::vector<std::string>& lines, bool create_parents) {
  return write_lines_replacing(path, lines, create_parents, "\r\n");
}

bool write_text_lines_lf(const fs::path& path, const std::vector<std::string>& lines) {
  return write_lines_replacing(path, lines, false, "\n");
}

}  // namespace wellvue
