// wellvue-depth-fix end to end on a recording's SRT (CP1252, CR LF, title, zeroing and closing
// entries, comma decimals) and depth record: every depth text rewritten and nothing else, the
// outputs beside with "_", the originals untouched, an output already there or a planted link
// refused, and replaced (the link itself, never its target) only when asked.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../subtitles/synthetic_recording.h"
#include "../../util/separator_guard.h"
#include "../../util/temp_dir.h"
#include "child_run.h"
#include "subtitles/depth_record_reader.h"
#include "util/time_code.h"

namespace wellvue {
namespace {
namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void spill(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

using ToolResult = test::ChildResult;

// Under the C locale: the tool's texts do not depend on the test's.
ToolResult depth_fix(const fs::path& dir, std::vector<std::string> args) {
  args.insert(args.begin(), WELLVUE_DEPTH_FIX);
  return test::run_child(args, dir, {{{"LC_ALL", "C"}}, {}});
}

class DepthFixToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::SeparatorGuard comma(',');  // the station wrote its depths under a comma locale
    srt_ = rec_.srt(false);
    truth_ = rec_.srt(true);
    record_ = rec_.record();
    base_ = dir_.path() / "rec" / "P12 2026-12-08 21-50-03";
    fs::create_directories(base_.parent_path());
    spill(path(".avi"), "RIFF");
    spill(path(".srt"), srt_);
    spill(path(".depth.csv"), record_);
    const auto& l = rec_.lines;
    // Two known depths: the bottom sounded at the last line, a casing joint early on (mm:ss).
    bottom_ = time_code_of_ms(static_cast<std::uint64_t>(l[59].first)) + "=" +
              test::with_sep(std::to_string(rec_.depth(l[59].second, true)), ',');
    joint_ = "00:04.1=" + std::to_string(rec_.depth(l[4].second, true));
    ASSERT_EQ(l[4].first, 4100);
  }
  fs::path path(const std::string& suffix, bool fixed = false) const {
    return base_.parent_path() / ((fixed ? "_" : "") + base_.filename().string() + suffix);
  }

  test::TempDir dir_;
  test::SyntheticRecording rec_;
  std::string srt_, truth_, record_, bottom_, joint_;
  fs::path base_;
};

TEST_F(DepthFixToolTest, TwoKnownDepthsRewriteEveryDepthTextAndNothingElse) {
  const ToolResult r = depth_fix(dir_.path(), {path(".avi").string(), "--at", joint_, "--at", bottom_});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(slurp(path(".srt", true)), truth_);  // the SRT the true wheel would have written
  EXPECT_NE(srt_, truth_);
  const DepthRecordText fixed = parse_depth_record_text(slurp(path(".depth.csv", true)), "fixed");
  EXPECT_NEAR(fixed.circumference_mm / rec_.true_mm, 1.0, 0.002);
  for (const DepthRecordRow& row : fixed.rows) {
    if (!row.is_line()) continue;
    EXPECT_NEAR(row.depth_m, rec_.depth(row.tics, true), 0.0005) << row.video_ms;
  }
  EXPECT_EQ(slurp(path(".srt")), srt_);
  EXPECT_EQ(slurp(path(".depth.csv")), record_);
  EXPECT_NE(r.out.find("Circonférence corrigée : 480.0 mm par tour (-2.91 % par rapport aux 494.4 mm"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("63 entrées corrigées"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(path(".srt", true).string()), std::string::npos) << r.out;

  // ToolResult again from the SRT's name: the outputs are there, nothing is written without --replace.
  spill(path(".srt", true), "kept");
  ToolResult again = depth_fix(dir_.path(), {path(".srt").string(), "--at", joint_, "--at", bottom_});
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.err.find("existe déjà"), std::string::npos) << again.err;
  EXPECT_EQ(slurp(path(".srt", true)), "kept");
  again = depth_fix(dir_.path(), {base_.string(), "--at", joint_, "--at", bottom_, "--replace"});
  EXPECT_EQ(again.code, 0) << again.err;
  EXPECT_EQ(slurp(path(".srt", true)), truth_);
}

TEST_F(DepthFixToolTest, APlantedLinkAtTheOutputIsNeverFollowed) {
  const fs::path victim = dir_.path() / "victim.txt";
  spill(victim, "precious");
  fs::create_symlink(victim, path(".srt", true));
  ToolResult r = depth_fix(dir_.path(), {path(".avi").string(), "--at", bottom_});
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(fs::exists(path(".depth.csv", true)));  // both outputs or neither
  r = depth_fix(dir_.path(), {path(".avi").string(), "--at", bottom_, "--replace"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(slurp(victim), "precious");
  EXPECT_FALSE(fs::is_symlink(path(".srt", true)));
  EXPECT_NE(r.out.find("Circonférence inchangée : 494.4 mm"), std::string::npos) << r.out;
  EXPECT_EQ(slurp(path(".srt")), srt_);
}

TEST_F(DepthFixToolTest, ABadCommandLineOrABadPointWritesNothing) {
  struct Case {
    std::vector<std::string> args;
    int code;
  };
  const std::vector<Case> cases = {
      {{path(".avi").string()}, 2},
      {{path(".avi").string(), "--at", "12:3x=4.0"}, 2},
      {{path(".avi").string(), "--at", "10=quatre"}, 2},
      {{path(".avi").string(), "--at", "99:00=4.0"}, 1},  // after the end of the recording
      {{(dir_.path() / "absent.avi").string(), "--at", "10=4.0"}, 1},
  };
  for (const Case& c : cases) {
    const ToolResult r = depth_fix(dir_.path(), c.args);
    EXPECT_EQ(r.code, c.code) << c.args.back() << ": " << r.err;
  }
  EXPECT_FALSE(fs::exists(path(".srt", true)));
  EXPECT_FALSE(fs::exists(path(".depth.csv", true)));
}

}  // namespace
}  // namespace wellvue
