// Where the station keeps its settings: beside the program when it can stay there, else in the
// user's configuration folder as the desktop names it (XDG_CONFIG_HOME).
#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "app/link_window/settings_location.h"
#include "fake_main_window.h"

namespace wellvue {
namespace {

struct XdgConfig {
  XdgConfig() { qputenv("XDG_CONFIG_HOME", dir.path().toUtf8()); }
  ~XdgConfig() { qunsetenv("XDG_CONFIG_HOME"); }
  QTemporaryDir dir;
};

TEST(StationSettingsLocation, BesideTheProgramOrInTheUsersConfiguration) {
  XdgConfig config;
  QTemporaryDir exe_dir;
  struct Case {
    QString executable;
    std::string file;
    std::string videos_end;
  };
  const Case cases[] = {
      // A folder the station may write to: a portable station.
      {exe_dir.filePath("wellvue"), QFile::encodeName(exe_dir.filePath("wellvue.ini")).toStdString(), "/_Captures"},
      // An installed program (a folder nobody writes to, even root).
      {QStringLiteral("/proc/wellvue"),
       QFile::encodeName(QDir(config.dir.path()).filePath("wellvue/wellvue.ini")).toStdString(), "/Wellvue"},
  };
  for (const Case& c : cases) {
    const SettingsLocation where = station_settings_location(c.executable);
    EXPECT_EQ(where.settings_file.string(), c.file) << c.executable.toStdString();
    const std::string videos = where.default_video_folder.string();
    EXPECT_EQ(videos.substr(videos.size() - c.videos_end.size()), c.videos_end) << videos;
  }
}

TEST(StationSettingsLocation, AReallyReadOnlyFolderSendsTheFileToTheUsersConfiguration) {
  testing::UnwritableDir dir;
  dir.lock();
  if (!dir.ok()) GTEST_SKIP() << "no way to make a folder read-only here";
  XdgConfig config;
  const SettingsLocation where = station_settings_location(QDir(dir.path()).filePath("wellvue"));
  EXPECT_EQ(where.settings_file.string(),
            QFile::encodeName(QDir(config.dir.path()).filePath("wellvue/wellvue.ini")).toStdString());
  EXPECT_FALSE(where.portable);
}

}  // namespace
}  // namespace wellvue
