// Names, time codes and texts of a recording.
#include <gtest/gtest.h>

#include "recording/recording_texts.h"
#include "util/decimal_separator.h"

namespace wellvue {
namespace {

const LocalDateTime kNow{2024, 5, 1, 14, 3, 22, 0};

TEST(RecordingName, FromFolderPrefixAndDate) {
  struct Case {
    const char* prefix;
    bool date;
    const char* expected;
  };
  const Case cases[] = {
      {"puits", false, "/v/puits.avi"},
      {"puits", true, "/v/puits 2024-05-01 14-03-22.avi"},
      // An empty prefix with the date: the name starts with the blank.
      {"", true, "/v/ 2024-05-01 14-03-22.avi"},
      // Trailing blanks go, leading ones stay.
      {"  P12   ", false, "/v/  P12.avi"},
      {"a.b", false, "/v/a.b.avi"},
  };
  for (const auto& c : cases) EXPECT_EQ(recording_name("/v", c.prefix, c.date, kNow), c.expected) << c.prefix;
}

TEST(RecordingName, SubtitleBesideVideo) {
  struct Case {
    const char* avi;
    const char* srt;
    const char* bare;
  };
  const Case cases[] = {
      {"/v/puits.avi", "/v/puits.srt", "/v/puits"},
      {"/v/a.b.avi", "/v/a.b.srt", "/v/a.b"},
      // A dot in the folder is not the extension.
      {"/v.d/noext", "/v.d/noext.srt", "/v.d/noext"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(subtitle_name(c.avi), c.srt);
    EXPECT_EQ(name_without_extension(c.avi), c.bare);
  }
}

TEST(StopTimeCode, CountsHours) {
  struct Case {
    std::uint64_t ms;
    const char* code;
  };
  const Case cases[] = {
      {0, "00:00:00,000"},       {5, "00:00:00,005"},
      {12345, "00:00:12,345"},   {65000, "00:01:05,000"},
      {66000, "00:01:06,000"},   {75ull * 60000, "01:15:00,000"},  // not 00:75:00,000
      {3723004, "01:02:03,004"}, {100ull * 3600000 + 1, "100:00:00,001"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(stop_time_code(c.ms), c.code);
    EXPECT_EQ(time_code_ms(c.code), static_cast<std::int64_t>(c.ms)) << c.code;
  }
}

TEST(StopTimeCode, NotATimeCode) {
  for (const char* text :
       {"", "00:00:00", "00:00:00.000", "0a:00:00,000", "00:0:00,000", ":00:00,000", "00:00:00,0000"}) {
    EXPECT_EQ(time_code_ms(text), -1) << text;
  }
}

TEST(ElapsedText, MinutesAndSeconds) {
  set_decimal_separator('.');
  struct Case {
    std::uint32_t ms;
    const char* text;
  };
  const Case cases[] = {
      {132300, " 2 mn  12.3 s"},
      {0, " 0 mn  0.0 s"},
      {75u * 60000, " 75 mn  0.0 s"},
  };
  for (const auto& c : cases) EXPECT_EQ(elapsed_text(c.ms), c.text) << c.ms;
}

TEST(RecordingTexts, QuestionsAndMessages) {
  EXPECT_EQ(
      overwrite_question("/v/puits.avi"),
      "      Les fichiers    : /v/puits.avi              \n\n      existent d\xE9j\xE0 , les remplacer ?          ");
  EXPECT_EQ(file_name_message("/v/p.avi"), "\n   nom de fichier : /v/p.avi    \n\n");
  EXPECT_EQ(recorded_message("/v/p.avi", " 0 mn  3.2 s"),
            " enregistrement effectu\xE9 ... \n\n  /v/p.avi\n\n   0 mn  3.2 s\n");
  EXPECT_NE(kept_message("/v/captemp-1.avi", "/v/p.avi", "x").find("/v/captemp-1.avi"), std::string::npos);
}

}  // namespace
}  // namespace wellvue
