#include "util/settings_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>
#include <system_error>

#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/settings_values.h"

namespace wellvue {
namespace fs = std::filesystem;

namespace {

SettingsLines split_lines(const std::string& text) {
  SettingsLines lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '\r' || ch == '\n') {
      lines.push_back(std::move(line));
      line.clear();
      if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += ch;
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

// A name no other writer of this process or another one uses at the same time.
fs::path temporary_beside(const fs::path& path) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path tmp = path;
  tmp += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(stamp) + "-" +
         std::to_string(counter.fetch_add(1));
  return tmp;
}

bool write_all_synced(const fs::path& file, const std::string& bytes) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  return ok;
}

}  // namespace

std::optional<SettingsLines> read_settings_file(const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return std::nullopt;
  if (fs::is_directory(path, ec)) throw ConversionError(cannot_open_file_text(path_text(path)));
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ConversionError(cannot_open_file_text(path_text(path)));
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ConversionError(cannot_open_file_text(path_text(path)));
  return split_lines(text);
}

SettingsLines load_settings_lines(const fs::path& path) {
  auto lines = read_settings_file(path);
  return lines ? std::move(*lines) : default_settings_lines();
}

std::string settings_not_saved_text(const fs::path& path) {
  return "Le fichier " + path_text(path) + " n'a pas pu \xeatre enregistr\xe9...";
}

SettingsWriteResult write_settings_file(const fs::path& path, const SettingsLines& lines) {
  std::string bytes;
  for (const auto& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  std::error_code ec;
  const fs::path parent = path.parent_path();
  if (!parent.empty()) fs::create_directories(parent, ec);
  const fs::path tmp = temporary_beside(path);
  bool ok = write_all_synced(tmp, bytes);
  if (ok) {
    fs::rename(tmp, path, ec);
    ok = !ec;
  }
  if (!ok) {
    fs::remove(tmp, ec);
    return {false, settings_not_saved_text(path)};
  }
  return {};
}

bool folder_is_writable(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return false;
  const fs::path probe = temporary_beside(folder / ".wellvue-write-probe");
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  fs::remove(probe, ec);
  return true;
}

SettingsLocation choose_settings_location(const fs::path& executable, const fs::path& user_config_dir,
                                          const fs::path& user_videos_dir) {
  const fs::path folder = executable.parent_path().empty() ? fs::path(".") : executable.parent_path();
  fs::path name = executable.filename();
  name.replace_extension(".ini");
  const fs::path beside = folder / name;
  std::error_code ec;
  if (fs::exists(beside, ec) || folder_is_writable(folder))
    return {beside, folder / "_Captures", true};
  return {user_config_dir / name, user_videos_dir / "Wellvue", false};
}

std::string path_text(const fs::path& path) { return utf8_to_cp1252(path.string()); }

fs::path path_from_text(const std::string& cp1252) { return fs::path(cp1252_to_utf8(cp1252)); }

}  // namespace wellvue
