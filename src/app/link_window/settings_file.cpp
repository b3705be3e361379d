#include "app/link_window/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "app/services/text_bridge.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"

namespace wellvue {

bool folder_writable(const QString& dir) {
  if (!QFileInfo(dir).isDir()) return false;
  QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".wellvue-write-test-XXXXXX")));
  return probe.open();
}

SettingsLocation choose_settings_location(const QString& executable_path,
                                          const std::function<bool(const QString&)>& writable) {
  const QFileInfo exe(executable_path);
  const QString dir = exe.absolutePath();
  const QString name = exe.completeBaseName() + QStringLiteral(".ini");
  const QString beside = QDir(dir).filePath(name);
  // A portable copy keeps its settings and videos beside itself, even on a read-only medium.
  if (QFileInfo::exists(beside) || writable(dir)) {
    return {beside, QDir(dir).filePath(QStringLiteral("_Captures"))};
  }
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
  const QString home = QDir::homePath();
  return {QDir(config.isEmpty() ? home + QStringLiteral("/.config") : config)
              .filePath(QStringLiteral("wellvue/") + name),
          QDir(videos.isEmpty() ? home : videos).filePath(QStringLiteral("Wellvue"))};
}

SettingsLines load_settings_file(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw ConversionError(cannot_open_file_text(from_qt(path)));
  const QByteArray bytes = file.readAll();
  SettingsLines lines;
  std::string line;
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

bool save_settings_file(const QString& path, const SettingsLines& lines) {
  const QFileInfo info(path);
  if (!QDir().mkpath(info.absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  QByteArray bytes;
  for (const std::string& l : lines) {
    bytes.append(l.data(), static_cast<qsizetype>(l.size()));
    bytes.append("\r\n", 2);
  }
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

std::string settings_write_failed_text(const QString& path) {
  return "Le fichier " + from_qt(path) + utf8_to_cp1252(" n'a pas pu être enregistré...");
}

}  // namespace wellvue
