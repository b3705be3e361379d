// Where the settings file lives and how it is read and written: beside the executable when that
// folder is writable or already holds it, else in the user's configuration folder; written to a
// temporary file renamed over the old one, so a failed write never leaves half a file.
#pragma once
#include <QString>
#include <functional>

#include "util/settings_lines.h"

namespace wellvue {

struct SettingsLocation {
  QString file;                  // the settings file
  QString default_video_folder;  // the folder an empty "repertoire_video" stands for
};

// True when a file can be created in dir (tried for real, so it also holds for root and for
// read-only mounts).
bool folder_writable(const QString& dir);

// executable_path: the running program; its name with ".ini" names the settings file.
SettingsLocation choose_settings_location(
    const QString& executable_path,
    const std::function<bool(const QString&)>& writable = folder_writable);

// The file's lines; CR LF, a lone LF or a lone CR ends a line. A file that exists but cannot be
// read raises ConversionError with "Impossible d'ouvrir le fichier %s".
SettingsLines load_settings_file(const QString& path);

// Writes every line followed by CR LF through a temporary file in the same folder, renamed over
// the old file; creates the folder when needed. False when anything failed (the old file stays).
bool save_settings_file(const QString& path, const SettingsLines& lines);

// "Le fichier <path> n'a pas pu être enregistré..." in CP1252.
std::string settings_write_failed_text(const QString& path);

}  // namespace wellvue
