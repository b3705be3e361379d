#include "util/settings_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <system_error>

#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/settings_values.h"
#include "util/text_file.h"

namespace wellvue {
namespace fs = std::filesystem;

std::optional<SettingsLines> read_settings_file(const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return std::nullopt;
  return read_text_lines(path);
}

SettingsLines load_settings_lines(const fs::path& path) {
  auto lines = read_settings_file(path);
  return lines ? std::move(*lines) : default_settings_lines();
}

std::string settings_not_saved_text(const fs::path& path) {
  return "Le fichier " + path_text(path) + " n'a pas pu \xeatre enregistr\xe9...";
}

SettingsWriteResult write_settings_file(const fs::path& path, const SettingsLines& lines) {
  if (write_text_lines(path, lines, true)) return {};
  return {false, settings_not_saved_text(path)};
}

bool folder_is_writable(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return false;
  const fs::path probe = folder / (".wellvue-write-probe-" + std::to_string(::getpid()));
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
  // A station installed by the package manager is shared by every user and is root's to write
  // even when root runs it: it is never a portable install.
  const std::string where = fs::weakly_canonical(fs::absolute(folder, ec), ec).string() + "/";
  const bool system_install = where.starts_with("/usr/") || where.starts_with("/opt/");
  if (!system_install && (fs::exists(beside, ec) || folder_is_writable(folder)))
    return {beside, folder / "_Captures", true};
  return {user_config_dir / name, user_videos_dir / "Wellvue", false};
}

std::string path_text(const fs::path& path) { return utf8_to_cp1252(path.string()); }

fs::path path_from_text(const std::string& cp1252) { return fs::path(cp1252_to_utf8(cp1252)); }

}  // namespace wellvue
