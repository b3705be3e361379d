#include "util/observation_codes.h"

#include <gtest/gtest.h>

#include <fstream>

#include "temp_dir.h"
#include "util/cp1252.h"
#include "util/text_file.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;

struct CodesCase {
  const char* name;
  // The file as found; nullptr: no file, "<dir>": a folder where the file should be.
  const char* content;
  std::vector<std::string> codes;  // expected; empty: the defaults
  bool message;
  bool written_with_defaults;
};

class ObservationCodesLoad : public ::testing::TestWithParam<CodesCase> {};

TEST_P(ObservationCodesLoad, GivesTheFileCodesOrTheDefaultsWithAReason) {
  const CodesCase& c = GetParam();
  test::TempDir dir;
  const fs::path settings = dir.path() / "wellvue.ini";
  const fs::path file = observation_codes_path(settings);
  EXPECT_EQ(file, dir.path() / "observations.txt");
  if (c.content && std::string(c.content) == "<dir>") {
    fs::create_directory(file);
  } else if (c.content) {
    std::ofstream(file, std::ios::binary) << c.content;
  }

  const ObservationCodes got = load_observation_codes(file);
  EXPECT_EQ(got.codes, c.codes.empty() ? default_observation_codes() : c.codes);
  EXPECT_EQ(!got.message.empty(), c.message) << got.message;
  if (c.message) {
    EXPECT_NE(got.message.find(utf8_to_cp1252(file.string())), std::string::npos) << got.message;
  }
  if (c.written_with_defaults) {
    // The file now exists for the operator to edit, and reads back as the defaults, silently.
    ASSERT_TRUE(fs::is_regular_file(file));
    const ObservationCodes again = load_observation_codes(file);
    EXPECT_EQ(again.codes, default_observation_codes());
    EXPECT_TRUE(again.message.empty());
  }
  if (c.content && c.message) {
    // A file the operator must mend is left as it is.
    if (std::string(c.content) == "<dir>") {
      EXPECT_TRUE(fs::is_directory(file));
    } else {
      EXPECT_EQ(read_text_lines(file), split_text_lines(c.content));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ObservationCodesLoad,
    ::testing::Values(
        CodesCase{"missing", nullptr, {}, false, true},
        CodesCase{"comments_blanks_duplicates",
                  "# mes codes\r\n\r\n  Joint  \r\nCr\xC3\xA9pine haut\n\t\nJoint\n  # pas un code\nRacines\r\n",
                  {"Joint", "Cr\xC3\xA9pine haut", "Racines"},
                  false,
                  false},
        CodesCase{"windows_code_page_and_bom",
                  "\xEF\xBB\xBF"
                  "D\xE9p\xF4t\r\nRacines",
                  {"D\xC3\xA9p\xC3\xB4t", "Racines"},
                  false,
                  false},
        CodesCase{"only_comments", "# rien\n\n", {}, true, false}, CodesCase{"unreadable", "<dir>", {}, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ObservationCodesSave, WritesTheCleanedListThatReadsBack) {
  test::TempDir dir;
  const fs::path file = dir.path() / "sub" / "observations.txt";
  EXPECT_EQ(save_observation_codes(file, {" Joint ", "", "# non", "Joint", "Objet tomb\xC3\xA9"}), "");
  const ObservationCodes got = load_observation_codes(file);
  EXPECT_EQ(got.codes, (std::vector<std::string>{"Joint", "Objet tomb\xC3\xA9"}));
  EXPECT_TRUE(got.message.empty());
  // A folder standing where the file goes: the save says so.
  fs::remove(file);
  fs::create_directory(file);
  EXPECT_FALSE(save_observation_codes(file, {"Joint"}).empty());
}

}  // namespace
}  // namespace wellvue
