#include "subtitles/retiming_tool.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "../util/separator_guard.h"
#include "../util/temp_dir.h"
#include "util/conversion_error.h"
#include "util/scripted_prompter.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;
using test::SeparatorGuard;
using test::TempDir;
using test::with_sep;

std::string file_bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put_file(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

// A track as the station writes it: title entry, depth entries, a zeroing entry numbered apart.
const SubtitleLines kTrack = {
    "1",
    "00:00:02,000 --> 00:00:03,000",
    "P12  06/12/2026 17h19:33",
    "\xa0   ",
    "\xa0   ",
    "",
    "2",
    "00:00:03,000 --> 00:00:04,500",
    "P12   4,04m      ---",
    "",
    "7",
    "00:00:04,500 --> 00:00:06,000",
    "margelle a zero....   0 cm",
    "",
};

TEST(RetimingToolTest, LastStartTime) {
  struct Case {
    SubtitleLines lines;
    const char* start;
  };
  const Case cases[] = {
      {kTrack, "00:00:04,500"},
      {{}, ""},
      {{"no time line", ""}, ""},
      {{"00:00:01,000 --> 00:00:02,000", "x --> y", "text"}, "x"},
  };
  for (const auto& c : cases) EXPECT_EQ(last_start_time(c.lines), c.start);
}

TEST(RetimingToolTest, LoadRefusedDuringAcquisition) {
  ScriptedPrompter prompter;
  RetimingTool tool(prompter);
  EXPECT_FALSE(tool.may_load(true));
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{" Stopper d'abord l'acquistition..."});
  EXPECT_TRUE(tool.may_load(false));
  EXPECT_EQ(prompter.texts().size(), 1u);
}

TEST(RetimingToolTest, LoadReadsAnyLineEndAndFillsTheSubtitleDuration) {
  TempDir dir;
  const fs::path file = dir.path() / "forage1.srt";
  put_file(file, "1\r\n00:00:00,000 --> 00:00:01,000\rA\n\r\n2\n00:00:01,000 --> 00:00:02,000\r\nB\r\n\r\n");
  ScriptedPrompter prompter;
  RetimingTool tool(prompter);
  tool.output() = {"old"};
  EXPECT_FALSE(tool.choose_file(dir.path() / "missing.srt"));
  EXPECT_EQ(tool.chosen_file(), dir.path() / "missing.srt");
  ASSERT_TRUE(tool.choose_file(file));
  const SubtitleLines lines = tool.load_chosen_file();
  EXPECT_EQ(lines, (SubtitleLines{"1", "00:00:00,000 --> 00:00:01,000", "A", "", "2", "00:00:01,000 --> 00:00:02,000",
                                  "B", ""}));
  EXPECT_EQ(tool.srt_duration, "00:00:01,000");
  EXPECT_TRUE(tool.output().empty());
  EXPECT_TRUE(tool.output_visible());
  EXPECT_TRUE(prompter.texts().empty());
}

TEST(RetimingToolTest, LoadOfAnUnreadableFileRaises) {
  TempDir dir;
  ScriptedPrompter prompter;
  RetimingTool tool(prompter);
  ASSERT_TRUE(tool.choose_file(dir.path()));  // a folder exists but is no file
  try {
    tool.load_chosen_file();
    ADD_FAILURE() << "loaded a folder";
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.what(), "Impossible d'ouvrir le fichier " + dir.path().string());
  }
}

TEST(RetimingToolTest, ScaleMessagesAndLines) {
  struct Case {
    const char* avi;
    const char* srt;
    const char* message;
    const char* first_time_line;
  };
  const Case cases[] = {
      {"12:30", "00:12:00,000", "if faut multiplier SRT par : 1.04166666666667\nt1 avi = 750\nt2 srt = 720",
       "00:00:02,083 --> 00:00:03,125"},
      {"6", "00:00:03,000", "if faut multiplier SRT par : 2\nt1 avi = 6\nt2 srt = 3", "00:00:04,000 --> 00:00:06,000"},
      {"1:02:03", "00:00:03,000", "if faut multiplier SRT par : -0.333333333333333\nt1 avi = -1\nt2 srt = 3",
       "00:00:00,000 --> 00:00:00,000"},
  };
  for (char sep : {',', '.'}) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases) {
      ScriptedPrompter prompter;
      RetimingTool tool(prompter);
      tool.avi_duration = c.avi;
      tool.srt_duration = c.srt;
      tool.scale(kTrack);
      EXPECT_EQ(prompter.texts(), std::vector<std::string>{with_sep(c.message, sep)});
      ASSERT_EQ(tool.output().size(), kTrack.size());
      EXPECT_EQ(tool.output()[1], c.first_time_line);
      EXPECT_EQ(tool.output()[8], kTrack[8]);  // text lines unchanged, comma and all
      EXPECT_EQ(tool.output()[3], kTrack[3]);  // no-break spaces kept
      EXPECT_TRUE(tool.output_visible());
    }
  }
}

TEST(RetimingToolTest, ScaleTwiceAppendsTwoCopies) {
  ScriptedPrompter prompter;
  RetimingTool tool(prompter);
  tool.avi_duration = "12";
  tool.srt_duration = "00:00:06,000";
  tool.scale(kTrack);
  tool.scale(kTrack);
  ASSERT_EQ(tool.output().size(), 2 * kTrack.size());
  EXPECT_EQ(tool.output()[kTrack.size() + 1], "00:00:04,000 --> 00:00:06,000");
}

TEST(RetimingToolTest, ScaleByZeroDurationFailsBeforeAnything) {
  struct Case {
    const char* avi;
    const char* srt;
    const char* error;
  };
  const Case cases[] = {{"12", "00:00:00,000", "Division par z\xe9ro en virgule flottante"},
                        {"0", "00:00:00,000", "Op\xe9ration en virgule flottante incorrecte"},
                        {"0:0", "00:00:00,000", "Division par z\xe9ro en virgule flottante"}};
  for (const auto& c : cases) {
    ScriptedPrompter prompter;
    RetimingTool tool(prompter);
    tool.output() = {"kept"};
    tool.avi_duration = c.avi;
    tool.srt_duration = c.srt;
    try {
      tool.scale(kTrack);
      ADD_FAILURE() << c.avi;
    } catch (const ConversionError& e) {
      EXPECT_EQ(e.what(), std::string(c.error));
    }
    EXPECT_TRUE(prompter.texts().empty());
    EXPECT_EQ(tool.output(), SubtitleLines{"kept"});
  }
}

TEST(RetimingToolTest, ConversionErrorInTheLoopKeepsLinesSoFarAndHidesTheOutput) {
  ScriptedPrompter prompter;
  RetimingTool tool(prompter);
  tool.avi_duration = "12";
  tool.srt_duration = "00:00:06,000";
  const SubtitleLines source = {"1", "00:00:01,000 --> 00:00:02,000", "a", "", "2", "00:0x:01,000 --> 00:00:02,000"};
  EXPECT_THROW(tool.scale(source), ConversionError);
  EXPECT_EQ(tool.output().size(), 5u);
  EXPECT_FALSE(tool.output_visible());
}

TEST(RetimingToolTest, ResetT0) {
  struct Case {
    const char* name;
    SubtitleLines source;
    const char* offset;
    std::vector<std::string> messages;  // '.' = separator
    SubtitleLines output;
  };
  const Case cases[] = {
      {"regular track",
       kTrack,
       "",
       {"00:00:02,000 --> 00:00:03,000\ndt= 2",
        "d\xe9"
        "calage = 0"},
       {"1", "00:00:00,000 --> 00:00:01,000", "P12  06/12/2026 17h19:33", ",   ", ",   ", "", "2",
        "00:00:01,000 --> 00:00:02,500", "P12   4,04m      ---", "", "3", "00:00:02,500 --> 00:00:04,000",
        "margelle a zero....   0 cm", ""}},
      {"offset with a point",
       kTrack,
       "1.5",
       {"00:00:02,000 --> 00:00:03,000\ndt= 2",
        "d\xe9"
        "calage = 1.5"},
       {"1", "00:00:00,000 --> 00:00:02,500", "P12  06/12/2026 17h19:33", ",   ", ",   ", "", "2",
        "00:00:02,500 --> 00:00:04,000", "P12   4,04m      ---", "", "3", "00:00:04,000 --> 00:00:05,500",
        "margelle a zero....   0 cm", ""}},
      {"negative offset with a comma",
       kTrack,
       "-1,5",
       {"00:00:02,000 --> 00:00:03,000\ndt= 2",
        "d\xe9"
        "calage = -1.5"},
       {"1", "00:00:00,000 --> 00:00:01,000", "P12  06/12/2026 17h19:33", ",   ", ",   ", "", "2",
        "00:00:01,000 --> 00:00:01,000", "P12   4,04m      ---", "", "3", "00:00:01,000 --> 00:00:02,500",
        "margelle a zero....   0 cm", ""}},
      {"second line not a time code",
       {"x", "y", "00:00:05,000 --> 00:00:06,000", "t"},
       "",
       {"y\ndt= -1",
        "d\xe9"
        "calage = 0"},
       {"x", "1", "00:00:06,000 --> 00:00:07,000", "t"}},
      {"time line first, blank line numbered",
       {"00:00:01,000 --> 00:00:02,000",
        "00:00:3,5 --> 00:00:4\xa0"
        "5",
        "a"},
       "",
       {"00:00:3,5 --> 00:00:4,5\ndt= -1",
        "d\xe9"
        "calage = 0"},
       // dt unreadable: the first line is entry 1 with no number above it, the next one is forced to zero
       {"2", "00:00:00,000 --> 00:00:00,000", "a"}},
      {"no time line",
       {"a\xa0", "b"},
       "",
       {"b\ndt= -1",
        "d\xe9"
        "calage = 0"},
       {"a,", "b"}},
      {"empty source",
       {},
       "",
       {"\ndt= -1",
        "d\xe9"
        "calage = 0"},
       {}},
  };
  for (char sep : {',', '.'}) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases) {
      ScriptedPrompter prompter;
      RetimingTool tool(prompter);
      tool.output() = {"old"};
      tool.offset = c.offset;
      tool.reset_t0(c.source);
      std::vector<std::string> messages;
      for (const auto& m : c.messages) messages.push_back(m.rfind("d\xe9", 0) == 0 ? with_sep(m, sep) : m);
      EXPECT_EQ(prompter.texts(), messages) << c.name << " sep " << sep;
      EXPECT_EQ(tool.output(), c.output) << c.name << " sep " << sep;
    }
  }
}

TEST(RetimingToolTest, ResetT0WithABadOffsetStopsAfterTheFirstMessage) {
  ScriptedPrompter prompter;
  RetimingTool tool(prompter);
  tool.output() = {"old"};
  tool.offset = "abc";
  try {
    tool.reset_t0(kTrack);
    ADD_FAILURE() << "accepted the offset";
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.what(), std::string("'abc' n'est pas une valeur en virgule flottante correcte"));
  }
  EXPECT_EQ(prompter.texts().size(), 1u);
  EXPECT_TRUE(tool.output().empty());
}

TEST(RetimingToolTest, SaveWritesBesideTheChosenFile) {
  TempDir dir;
  ScriptedPrompter prompter;
  RetimingTool tool(prompter);
  tool.choose_file(dir.path() / "not there.srt");  // Save still uses the name
  tool.output() = {"1", "00:00:00,000 --> 00:00:01,000", "\xe9t\xe9", ""};
  const fs::path written = tool.save();
  EXPECT_EQ(written, dir.path() / "_not there.srt");
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{written.string()});
  EXPECT_EQ(file_bytes(written), "1\r\n00:00:00,000 --> 00:00:01,000\r\n\xe9t\xe9\r\n\r\n");
  tool.output() = {"replaced"};
  tool.save();
  EXPECT_EQ(file_bytes(written), "replaced\r\n");
}

TEST(RetimingToolTest, SaveWithNoFileChosenWritesNothing) {
  TempDir dir;
  const fs::path cwd = fs::current_path();
  fs::current_path(dir.path());
  ScriptedPrompter prompter;
  RetimingTool tool(prompter);
  tool.output() = {"x"};
  const fs::path written = tool.save();
  fs::current_path(cwd);
  EXPECT_TRUE(written.empty());
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{kNoFileChosenText});
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(RetimingToolTest, SaveThatCannotCreateRaises) {
  TempDir dir;
  put_file(dir.path() / "file", "x");
  struct Case {
    fs::path chosen;
  };
  const Case cases[] = {{dir.path() / "file" / "a.srt"}, {"/proc/a.srt"}};
  for (const auto& c : cases) {
    ScriptedPrompter prompter;
    RetimingTool tool(prompter);
    tool.choose_file(c.chosen);
    try {
      tool.save();
      ADD_FAILURE() << c.chosen;
    } catch (const ConversionError& e) {
      EXPECT_EQ(e.what(),
                "Impossible de cr\xe9"
                "er le fichier " +
                    retimed_path(c.chosen).string());
    }
  }
}

}  // namespace
}  // namespace wellvue
