// The settings file on disk: reading its lines (CR LF, LF or CR), writing them safely (CP1252,
// CR LF, a temporary file renamed over the old one), and where the file and the videos live.
#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "util/settings_lines.h"

namespace wellvue {

// The file's lines; nullopt when there is no file. A file that exists but cannot be read raises
// ConversionError with "Impossible d'ouvrir le fichier <path>".
std::optional<SettingsLines> read_settings_file(const std::filesystem::path& path);

// The file's lines, or the default file's lines when there is none (the file is not created).
SettingsLines load_settings_lines(const std::filesystem::path& path);

struct SettingsWriteResult {
  bool ok = true;
  std::string message;  // CP1252 text for the operator when !ok
};

// Writes every line ended by CR LF to a temporary file beside path, flushed to disk, then renames
// it over path; missing parent folders are created. On failure the old file is left as it was and
// the result carries "Le fichier <path> n'a pas pu être enregistré...".
SettingsWriteResult write_settings_file(const std::filesystem::path& path, const SettingsLines& lines);

// "Le fichier <path> n'a pas pu être enregistré..." with the path in CP1252.
std::string settings_not_saved_text(const std::filesystem::path& path);

struct SettingsLocation {
  std::filesystem::path settings_file;
  std::filesystem::path default_video_folder;  // not created here
  bool portable = false;                       // beside the executable
};

// Beside the executable (its name with ".ini", videos in "_Captures") when its folder is writable
// or a settings file already stands there, unless it is a system folder (under /usr or /opt, where
// the package installs the station); otherwise <user_config_dir>/<name>.ini and
// <user_videos_dir>/Wellvue, the two folders the caller's desktop gives for this user.
SettingsLocation choose_settings_location(const std::filesystem::path& executable,
                                          const std::filesystem::path& user_config_dir,
                                          const std::filesystem::path& user_videos_dir);

// Whether a file can be created in folder (tried for real, then removed).
bool folder_is_writable(const std::filesystem::path& folder);

// A path as a CP1252 text for the core's texts and settings values, and back.
std::string path_text(const std::filesystem::path& path);
std::filesystem::path path_from_text(const std::string& cp1252);

}  // namespace wellvue
