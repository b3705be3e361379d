// The settings file on disk: where it goes, how its lines are cut, and that a failed write
// leaves the old file whole.
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/link_window/settings_file.h"
#include "fake_main_window.h"
#include "util/conversion_error.h"

namespace wellvue {
namespace {

using testing::read_file;
using testing::write_file;

struct LoadCase {
  const char* name;
  std::string bytes;
  SettingsLines lines;
};

class LoadSettingsTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadSettingsTest, EveryLineEndIsALineEnd) {
  QTemporaryDir dir;
  const QString path = dir.filePath("w.ini");
  write_file(path, GetParam().bytes);
  EXPECT_EQ(load_settings_file(path), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, LoadSettingsTest,
    ::testing::Values(LoadCase{"crlf", "a = 1\r\nb = 2\r\n", {"a = 1", "b = 2"}},
                      LoadCase{"lf", "a = 1\nb = 2\n", {"a = 1", "b = 2"}},
                      LoadCase{"cr", "a = 1\rb = 2\r", {"a = 1", "b = 2"}},
                      LoadCase{"mixed_no_last_end", "a = 1\r\nb = 2\rc = 3\nd = 4", {"a = 1", "b = 2", "c = 3", "d = 4"}},
                      LoadCase{"blank_lines_kept", "a\r\n\r\n\nb\r\n", {"a", "", "", "b"}},
                      LoadCase{"lf_cr_is_two_ends", "a\n\rb", {"a", "", "b"}},
                      LoadCase{"cp1252_bytes_untouched", "r = vid\xE9o\r\n", {"r = vid\xE9o"}},
                      LoadCase{"empty_file", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveSettings, EveryLineEndsWithCrLfAndReadsBack) {
  QTemporaryDir dir;
  const QString path = dir.filePath("sub/folder/w.ini");  // folders created when needed
  const SettingsLines lines = {"CheckBox1.Checked = true", "repertoire_video = ", "x = vid\xE9o"};
  ASSERT_TRUE(save_settings_file(path, lines));
  EXPECT_EQ(read_file(path), "CheckBox1.Checked = true\r\nrepertoire_video = \r\nx = vid\xE9o\r\n");
  EXPECT_EQ(load_settings_file(path), lines);
  // No temporary file is left beside it.
  EXPECT_EQ(QDir(dir.filePath("sub/folder")).entryList(QDir::Files), QStringList{"w.ini"});
}

TEST(SaveSettings, AFailedWriteLeavesTheOldFileWhole) {
  testing::UnwritableDir dir;
  const QString path = QDir(dir.path()).filePath("w.ini");
  write_file(path, "old = 1\r\n");
  dir.lock();
  if (!dir.ok()) GTEST_SKIP() << "no way to make a folder read-only here";
  EXPECT_FALSE(save_settings_file(path, {"new = 2"}));
  EXPECT_EQ(read_file(path), "old = 1\r\n");
}

TEST(SaveSettings, AFolderThatIsAFileFails) {
  QTemporaryDir dir;
  write_file(dir.filePath("plain"), "x");
  EXPECT_FALSE(save_settings_file(dir.filePath("plain/w.ini"), {"a = 1"}));
}

TEST(LoadSettings, AFileThatCannotBeReadRaisesTheOpenError) {
  QTemporaryDir dir;
  QDir(dir.path()).mkdir("w.ini");  // exists, but is no file
  try {
    load_settings_file(dir.filePath("w.ini"));
    FAIL() << "no error";
  } catch (const ConversionError& e) {
    EXPECT_EQ(std::string(e.what()), "Impossible d'ouvrir le fichier " + dir.filePath("w.ini").toStdString());
  }
}

struct LocationCase {
  const char* name;
  bool folder_writable;
  bool ini_present;
  bool beside;  // settings and videos beside the executable
};

class LocationTest : public ::testing::TestWithParam<LocationCase> {};

TEST_P(LocationTest, BesideTheExecutableOnlyWhenItCanStayThere) {
  const LocationCase& c = GetParam();
  QTemporaryDir exe_dir, config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  if (c.ini_present) write_file(exe_dir.filePath("wellvue.ini"), "contraste = 1\r\n");
  const SettingsLocation where =
      choose_settings_location(exe_dir.filePath("wellvue"), [&](const QString&) { return c.folder_writable; });
  if (c.beside) {
    EXPECT_EQ(where.file, exe_dir.filePath("wellvue.ini"));
    EXPECT_EQ(where.default_video_folder, exe_dir.filePath("_Captures"));
  } else {
    EXPECT_EQ(where.file, QDir(config.path()).filePath("wellvue/wellvue.ini"));
    EXPECT_TRUE(where.default_video_folder.endsWith("/Wellvue")) << where.default_video_folder.toStdString();
    EXPECT_FALSE(where.default_video_folder.startsWith(exe_dir.path()));
  }
  qunsetenv("XDG_CONFIG_HOME");
}

INSTANTIATE_TEST_SUITE_P(Choices, LocationTest,
                         ::testing::Values(LocationCase{"writable", true, false, true},
                                           LocationCase{"writable_with_file", true, true, true},
                                           LocationCase{"installed", false, false, false},
                                           LocationCase{"portable_read_only", false, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Location, AReallyReadOnlyFolderSendsTheFileToTheUserConfiguration) {
  testing::UnwritableDir dir;
  dir.lock();
  if (!dir.ok()) GTEST_SKIP() << "no way to make a folder read-only here";
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  const SettingsLocation where = choose_settings_location(QDir(dir.path()).filePath("wellvue"));
  EXPECT_EQ(where.file, QDir(config.path()).filePath("wellvue/wellvue.ini"));
  qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace wellvue
