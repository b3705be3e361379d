// The wellvue-capture program as an operator runs it: listing, recording, and repairing a
// recording whose process was killed.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "capture/avi/avi_info.h"
#include "child_run.h"
#include "gst_test_support.h"

namespace wellvue::gst::testing {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status = -1;
  std::string out;  // the standard output, then the error
};

// Runs the tool to its end, its output kept in the folder `logs`.
ToolRun run_tool(std::vector<std::string> args, const std::string& logs) {
  args.insert(args.begin(), WELLVUE_CAPTURE_TOOL);
  const test::ChildResult r = test::run_child(args, logs);
  return {r.code, r.out + r.err};
}

struct ListCase {
  const char* label;
  std::vector<std::string> args;
  bool lists_test_pattern;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.label; }

class ToolList : public ::testing::TestWithParam<ListCase> {};

TEST_P(ToolList, ShowsTheTestPatternOnlyWhenAsked) {
  ScratchDir dir;
  const ToolRun r = run_tool(GetParam().args, dir.file("logs"));
  ASSERT_EQ(r.status, 0) << r.out;
  for (const char* heading : {"Sources vidéo\n", "Sources audio\n", "Compresseurs vidéo\n", "Compresseurs audio\n"})
    EXPECT_NE(r.out.find(heading), std::string::npos) << heading;
  EXPECT_EQ(r.out.find("Mire de test\n  640x480x16b (YUY2)\n") != std::string::npos, GetParam().lists_test_pattern)
      << r.out;
  EXPECT_NE(r.out.find("\nDV Video Encoder\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Runs, ToolList,
                         ::testing::Values(ListCase{"plain", {"--list"}, false},
                                           ListCase{"with_test_source", {"--list", "--test-source"}, true}),
                         [](const auto& info) { return std::string(info.param.label); });

struct BadCase {
  const char* label;
  std::vector<std::string> args;
  const char* message;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.label; }

class ToolRefuses : public ::testing::TestWithParam<BadCase> {};

TEST_P(ToolRefuses, WithAMessageAndAFailingExit) {
  ScratchDir dir;
  const ToolRun r = run_tool(GetParam().args, dir.file("logs"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find(GetParam().message), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ToolRefuses,
    ::testing::Values(BadCase{"no_action", {}, "nothing to do"},
                      BadCase{"no_seconds", {"--record", "x.avi"}, "--record needs --seconds"},
                      BadCase{"bad_seconds", {"--record", "x.avi", "--seconds", "2x"}, "whole number"},
                      BadCase{"unknown_compressor",
                              {"--record", "x.avi", "--seconds", "1", "--test-source", "--compressor", "Nope"},
                              "aucun compresseur vidéo nommé 'Nope'"},
                      BadCase{"unknown_device",
                              {"--record", "x.avi", "--seconds", "1", "--test-source", "--device", "Nope"},
                              "aucune source vidéo nommée 'Nope'"},
                      BadCase{"missing_file_to_repair", {"--repair", "/nonexistent/none.avi"}, "fichier introuvable"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Tool, RecordsAndReportsTheFramesOfTheFile) {
  ScratchDir dir;
  const std::string file = dir.file("tool.avi");
  const ToolRun r =
      run_tool({"--record", file, "--seconds", "2", "--test-source", "--preview", "--compressor", "JPEG image encoder"},
               dir.file("logs"));
  ASSERT_EQ(r.status, 0) << r.out;
  const Readback rb = read_back(file);
  ASSERT_TRUE(rb.ok) << rb.error;
  EXPECT_NE(r.out.find("frames written: " + std::to_string(rb.frames) + "\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("frames dropped: 0\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("frame notifications: 0\n"), std::string::npos) << r.out;
}

TEST(Tool, RecordingKilledMidwayIsRepairedAndReadWhole) {
  ScratchDir dir;
  const std::string file = dir.file("killed.avi");
  test::ChildRun run({WELLVUE_CAPTURE_TOOL, "--record", file, "--seconds", "60", "--test-source", "--compressor",
                      "JPEG image encoder"},
                     dir.file("killed"));
  // Let it write a good second or two of pictures, then pull the plug.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  std::error_code ec;
  while (std::chrono::steady_clock::now() < give_up && (!fs::exists(file, ec) || fs::file_size(file, ec) < 1'000'000))
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  run.signal(SIGKILL);
  ASSERT_EQ(run.wait(), -1);  // killed, not ended
  ASSERT_GE(fs::file_size(file, ec), 1'000'000u) << "the recording never got going";

  const auto before = avi::read_avi_file(file);
  ASSERT_TRUE(before.info) << before.error;
  EXPECT_FALSE(before.info->finalised);

  const ToolRun r = run_tool({"--repair", file}, dir.file("repair"));
  ASSERT_EQ(r.status, 0) << r.out;
  const auto after = avi::read_avi_file(file);
  ASSERT_TRUE(after.info) << after.error;
  EXPECT_TRUE(after.info->finalised);
  const Readback rb = read_back(file);
  ASSERT_TRUE(rb.ok) << rb.error;
  EXPECT_EQ(rb.frames, after.info->video_chunks());
  EXPECT_EQ(rb.frames, after.info->declared_video_frames());
  EXPECT_GE(rb.frames, 10u);
}

}  // namespace
}  // namespace wellvue::gst::testing

namespace wellvue::gst::testing {
namespace {

struct UnrecoverableCase {
  const char* label;
  std::string (*bytes)();  // what the file holds (made when the test runs)
};

void PrintTo(const UnrecoverableCase& c, std::ostream* os) { *os << c.label; }

class ToolRepairUnrecoverable : public ::testing::TestWithParam<UnrecoverableCase> {};

// Nothing in the file can be played: it is set aside under a name of its own, never deleted.
TEST_P(ToolRepairUnrecoverable, SetsTheFileAsideAndSaysWhere) {
  ScratchDir dir;
  const std::string file = dir.file("rec.avi");
  const std::string bytes = GetParam().bytes();
  ASSERT_FALSE(bytes.empty());
  {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  const ToolRun r = run_tool({"--repair", file}, dir.file("logs"));
  EXPECT_NE(r.status, 0);
  const std::string aside = file + ".irrecuperable";
  EXPECT_NE(r.out.find("fichier conservé sous " + aside), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(file));
  std::error_code ec;
  ASSERT_EQ(fs::file_size(aside, ec), bytes.size());
}

std::string garbage() {
  std::string s(200'000, '\0');
  std::uint32_t x = 12345;
  for (char& c : s) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  return s;
}

// An AVI header up to an empty movi list: avimux stopped before its first frame.
std::string header_only() {
  ScratchDir dir;
  const std::string f = dir.file("empty.avi");
  const std::string cmd =
      "gst-launch-1.0 -q avimux name=m ! filesink location='" + f +
      "' videotestsrc num-buffers=0 ! video/x-raw,width=160,height=120,framerate=25/1 ! jpegenc ! m.";
  if (std::system(cmd.c_str()) != 0) return {};
  std::FILE* in = std::fopen(f.c_str(), "rb");
  std::string s;
  if (!in) return s;
  std::array<char, 4096> buf{};
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), in)) > 0) s.append(buf.data(), n);
  std::fclose(in);
  return s;
}

INSTANTIATE_TEST_SUITE_P(Files, ToolRepairUnrecoverable,
                         ::testing::Values(UnrecoverableCase{"pure_garbage", &garbage},
                                           UnrecoverableCase{"no_frame", &header_only}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace wellvue::gst::testing
