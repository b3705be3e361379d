#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "separator_guard.h"
#include "temp_dir.h"
#include "util/conversion_error.h"
#include "util/settings_file.h"
#include "util/settings_lines.h"
#include "util/settings_values.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;
using test::SeparatorGuard;
using test::TempDir;

std::string file_bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put_file(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

const std::string kFolder = "/opt/station/_Captures";

SettingsValues read_lines(const SettingsLines& lines) {
  SettingsValues v;
  read_settings_into(lines, kFolder, v);
  return v;
}

TEST(SettingsLinesTest, Lookup) {
  struct Case {
    SettingsLines lines;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {{"contraste = 2"}, "contraste", "2"},
      {{"CONTRASTE = 2"}, "contraste", "2"},     // key case ignored
      {{"contraste= 2"}, "contraste", "def"},    // no blank before "="
      {{"contraste  = 2"}, "contraste", "def"},  // two blanks
      {{"contraste =2"}, "contraste", "2"},
      {{"contraste = "}, "contraste", "def"},  // empty value
      {{"contraste =    "}, "contraste", "def"},
      {{"contraste = 1", "contraste = 2"}, "contraste", "1"},   // first line wins
      {{"contraste = ", "contraste = 2"}, "contraste", "def"},  // even when it is empty
      {{"Edit_nom_prefixe.Text =   puits 3  "}, "Edit_nom_prefixe.Text", "puits 3"},
      {{"xcontraste = 2"}, "contraste", "def"},
      {{"contraste"}, "contraste", "def"},
      {{"a = b = c"}, "a", "b = c"},
      {{}, "contraste", "def"},
  };
  for (const auto& c : cases) EXPECT_EQ(settings_read_text(c.lines, c.key, "def"), c.value) << c.lines.size();
}

TEST(SettingsLinesTest, BooleansAndIntegers) {
  struct Case {
    const char* line;
    bool flag;
  };
  const Case bools[] = {{"k = true", true},   {"k = True", false}, {"K = true", true},
                        {"k = false", false}, {"k = 1", false},    {"k = ", true} /* default "true" */};
  for (const auto& c : bools) EXPECT_EQ(settings_read_bool({c.line}, "k", "true"), c.flag) << c.line;
  EXPECT_EQ(settings_read_int({"k = -12"}, "k", 5), -12);
  EXPECT_EQ(settings_read_int({"k = "}, "k", 5), 5);
  EXPECT_EQ(settings_read_int({}, "k", 5), 5);
  try {
    settings_read_int({"k = 1,5"}, "k", 5);
    ADD_FAILURE() << "accepted 1,5";
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.what(), std::string("'1,5' n'est pas une valeur enti\xe8re correcte"));
  }
  SettingsLines built;
  settings_add_bool(built, "b", false);
  settings_add_text(built, "t", "  x ");
  settings_add_text(built, "e", "");
  settings_add_int(built, "i", -7);
  EXPECT_EQ(built, (SettingsLines{"b = false", "t =   x ", "e = ", "i = -7"}));
}

TEST(SettingsValuesTest, DefaultFileAndEmptyFile) {
  const SettingsValues d = read_lines(default_settings_lines());
  EXPECT_EQ(d.prefix, "CXapture");
  EXPECT_TRUE(d.add_date);
  EXPECT_EQ(d.temp_capture_file, "captemp.avi");
  EXPECT_EQ(d.circumference, "405");
  EXPECT_EQ(d.padding_blanks, "38");
  EXPECT_EQ(d.compressor, "DV Video Encoder");
  EXPECT_EQ(d.video_folder, kFolder);
  EXPECT_EQ(d.calibration_length, "5");

  const SettingsValues e = read_lines({});
  EXPECT_EQ(e.prefix, "capture");
  EXPECT_FALSE(e.add_date);
  EXPECT_EQ(e.temp_capture_file, "TMP.AVI");
  EXPECT_EQ(e.circumference, "40.3");
  EXPECT_EQ(e.padding_blanks, "45");
  EXPECT_EQ(e.text_start_code, "160");
  EXPECT_TRUE(e.positive_count);
  EXPECT_EQ(e.compressor, "");
  EXPECT_EQ(e.video_folder, kFolder);
  for (char sep : {',', '.'}) {
    SeparatorGuard guard(sep);
    EXPECT_DOUBLE_EQ(metres_per_turn_from_circumference(e.circumference), 0.0403);
    EXPECT_DOUBLE_EQ(metres_per_turn_from_circumference(d.circumference), 0.405);
    EXPECT_DOUBLE_EQ(metres_per_turn_from_circumference("40,3"), 0.0403);
    EXPECT_THROW(metres_per_turn_from_circumference("abc"), ConversionError);
  }
}

TEST(SettingsValuesTest, EdgeCases) {
  SettingsValues v =
      read_lines({"CheckBox1.Checked = True", "port_com_vitesse = 3", "zero_margelle = 150",
                  "Edit_nom_prefixe.Text =   puits 3  ", "Edit_nom_prefixe.Text = second", "contraste= 2"});
  EXPECT_FALSE(v.add_date);
  EXPECT_EQ(v.baud_index, 6);
  EXPECT_EQ(v.start_depth_cm, 0);
  EXPECT_EQ(v.prefix, "puits 3");
  EXPECT_EQ(v.contrast, 0);
  v = read_lines({"checkbox1.checked = true"});
  EXPECT_TRUE(v.add_date);
}

TEST(SettingsValuesTest, ConversionErrorStopsAtItsKey) {
  SettingsValues v;
  v.port_index = 3;
  v.compressor = "kept";
  v.contrast = 2;
  try {
    read_settings_into({"Edit_nom_prefixe.Text = first", "cbASources_itemindex = x1", "contraste = 1"}, kFolder, v);
    ADD_FAILURE() << "no error";
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.what(), std::string("'x1' n'est pas une valeur enti\xe8re correcte"));
  }
  EXPECT_EQ(v.prefix, "first");  // keys before the bad one are applied
  EXPECT_EQ(v.port_index, 3);    // keys after it keep their values
  EXPECT_EQ(v.compressor, "kept");
  EXPECT_EQ(v.contrast, 2);
}

TEST(SettingsFileTest, RoundTripKeepsEverythingButTheStartDepth) {
  TempDir dir;
  SettingsValues v;
  v.add_date = false;
  v.prefix =
      "puits n\xb0"
      "3 ";  // degree sign, trailing blank
  v.temp_capture_file = "t.avi";
  v.video_source_index = 2;
  v.audio_source_index = -1;
  v.start_depth_cm = 150;
  v.calibration_length = "12,5";
  v.circumference = "404.5";
  v.positive_count = false;
  v.text_start_code = "32";
  v.padding_blanks = "0";
  v.port_index = 4;
  v.baud_index = 6;
  v.video_folder = "/srv/vid\xe9os";
  v.compressor = "";
  v.contrast = 2;
  const fs::path file = dir.path() / "wellvue.ini";
  ASSERT_TRUE(write_settings_file(file, settings_lines(v)).ok);
  const std::string bytes = file_bytes(file);
  EXPECT_EQ(bytes.substr(0, 27), "CheckBox1.Checked = false\r\n");
  EXPECT_EQ(bytes.substr(bytes.size() - 15), "contraste = 2\r\n");
  EXPECT_NE(bytes.find("compresseur_video = \r\n"), std::string::npos);
  EXPECT_NE(bytes.find("zero_margelle = 150\r\n"), std::string::npos);
  SettingsValues back;
  read_settings_into(load_settings_lines(file), kFolder, back);
  v.prefix =
      "puits n\xb0"
      "3";               // values are read trimmed
  v.start_depth_cm = 0;  // never read back
  v.compressor = "";     // an empty value reads as the empty default of its key
  EXPECT_EQ(settings_lines(back), settings_lines(v));
  EXPECT_EQ(fs::directory_iterator(dir.path())->path(), file);  // no temporary file left
}

TEST(SettingsFileTest, LineEndsOnReading) {
  TempDir dir;
  const fs::path file = dir.path() / "s.ini";
  struct Case {
    const char* bytes;
    SettingsLines lines;
  };
  const Case cases[] = {
      {"a = 1\r\nb = 2\r\n", {"a = 1", "b = 2"}},
      {"a = 1\nb = 2", {"a = 1", "b = 2"}},
      {"a = 1\rb = 2\r", {"a = 1", "b = 2"}},
      {"a = 1\r\n\r\nb = 2\n\n", {"a = 1", "", "b = 2", ""}},
      {"a = 1\r\nb = 2\rc = 3\nd = 4", {"a = 1", "b = 2", "c = 3", "d = 4"}},
      {"a\n\rb", {"a", "", "b"}},              // LF then CR: two line ends
      {"r = vid\xE9o\r\n", {"r = vid\xE9o"}},  // CP1252 bytes as they are
      {"", {}},
  };
  for (const auto& c : cases) {
    put_file(file, c.bytes);
    EXPECT_EQ(read_settings_file(file), std::optional<SettingsLines>(c.lines)) << c.bytes;
  }
}

TEST(SettingsFileTest, MissingFileGivesTheDefaultFileWithoutCreatingIt) {
  TempDir dir;
  const fs::path file = dir.path() / "none.ini";
  EXPECT_FALSE(read_settings_file(file).has_value());
  EXPECT_EQ(load_settings_lines(file), default_settings_lines());
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(default_settings_lines().size(), kSettingsKeys.size());
}

TEST(SettingsFileTest, UnreadableFileRaisesTheOpenError) {
  TempDir dir;
  const fs::path file = dir.path() / "folder.ini";
  fs::create_directory(file);
  try {
    read_settings_file(file);
    ADD_FAILURE() << "read a folder";
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.what(), "Impossible d'ouvrir le fichier " + file.string());
  }
}

TEST(SettingsFileTest, FailedWriteLeavesTheOldFileAndSaysSo) {
  TempDir dir;
  const fs::path file = dir.path() / "wellvue.ini";
  put_file(file, "old = 1\r\n");
  // A full disk: file size limit of 8 bytes while writing.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto old_handler = signal(SIGXFSZ, SIG_IGN);
  rlimit tiny = saved;
  tiny.rlim_cur = 8;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  const SettingsWriteResult r = write_settings_file(file, default_settings_lines());
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "Le fichier " + file.string() + " n'a pas pu \xeatre enregistr\xe9...");
  EXPECT_EQ(file_bytes(file), "old = 1\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(SettingsFileTest, UnwritablePlaces) {
  TempDir dir;
  put_file(dir.path() / "plain", "x");
  const fs::path places[] = {dir.path() / "plain" / "wellvue.ini",  // parent is a file
                             "/proc/wellvue-test.ini"};             // read-only even for root
  for (const auto& p : places) {
    const SettingsWriteResult r = write_settings_file(p, default_settings_lines());
    EXPECT_FALSE(r.ok) << p;
    EXPECT_EQ(r.message, settings_not_saved_text(p));
  }
}

TEST(SettingsLocationTest, PortableOrPerUser) {
  TempDir dir;
  const fs::path exe_dir = dir.path() / "bin";
  fs::create_directories(exe_dir);
  const fs::path config = dir.path() / "config";
  const fs::path videos = dir.path() / "Videos";

  SettingsLocation l = choose_settings_location(exe_dir / "wellvue", config, videos);
  EXPECT_TRUE(l.portable);
  EXPECT_EQ(l.settings_file, exe_dir / "wellvue.ini");
  EXPECT_EQ(l.default_video_folder, exe_dir / "_Captures");

  // An installed program in a folder nobody may write to.
  l = choose_settings_location("/proc/wellvue", config, videos);
  EXPECT_FALSE(l.portable);
  EXPECT_EQ(l.settings_file, config / "wellvue.ini");
  EXPECT_EQ(l.default_video_folder, videos / "Wellvue");
  EXPECT_FALSE(folder_is_writable("/proc"));
  EXPECT_TRUE(folder_is_writable(exe_dir));
  EXPECT_FALSE(folder_is_writable(exe_dir / "missing"));
  // Where the package installs the station: per user even for root, who may write there.
  for (const char* installed :
       {"/usr/lib/wellvue/wellvue", "/opt/wellvue/wellvue", "/usr/bin/../lib/wellvue/wellvue"}) {
    EXPECT_FALSE(choose_settings_location(installed, config, videos).portable) << installed;
  }

  // The per-user file is written with its folder created.
  ASSERT_TRUE(write_settings_file(l.settings_file, default_settings_lines()).ok);
  EXPECT_EQ(load_settings_lines(l.settings_file), default_settings_lines());
}

TEST(SettingsLocationTest, ExistingFileBesideTheExecutableKeepsItPortable) {
  TempDir dir;
  put_file(dir.path() / "wellvue.ini", "");
  // Root may write anywhere, so only an ordinary user can see the folder as read-only.
  if (geteuid() != 0) fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::remove);
  const auto l = choose_settings_location(dir.path() / "wellvue", "/c", "/v");
  EXPECT_TRUE(l.portable);
  EXPECT_EQ(l.settings_file, dir.path() / "wellvue.ini");
  EXPECT_EQ(l.default_video_folder, dir.path() / "_Captures");
}

}  // namespace
}  // namespace wellvue
