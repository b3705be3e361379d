#include "app/link_window/settings_location.h"

#include <QDir>
#include <QStandardPaths>

namespace wellvue {

SettingsLocation station_settings_location(const QString& executable_path) {
  const QString home = QDir::homePath();
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
  const QString config_dir =
      QDir(config.isEmpty() ? home + QStringLiteral("/.config") : config).filePath(QStringLiteral("wellvue"));
  return choose_settings_location(QFile::encodeName(executable_path).toStdString(),
                                  QFile::encodeName(config_dir).toStdString(),
                                  QFile::encodeName(videos.isEmpty() ? home : videos).toStdString());
}

}  // namespace wellvue
