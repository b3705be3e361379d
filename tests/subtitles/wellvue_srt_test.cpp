// Runs the wellvue-srt binary on real files and checks its output files, texts and exit codes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "../tools/support/child_run.h"
#include "../util/temp_dir.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string file_bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put_file(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

// Runs the tool under the given locale, its output kept in a folder beside the files.
ToolRun run_tool(std::vector<std::string> args, const fs::path& dir, const char* locale = "C") {
  args.insert(args.begin(), WELLVUE_SRT_BINARY);
  const test::ChildResult r = test::run_child(args, dir / "logs", {{{"LC_ALL", locale}}, {}});
  return {r.code, r.out, r.err};
}

const std::string kSource =
    "1\r\n00:00:02,000 --> 00:00:03,000\r\nP12  06/12/2026 17h19:33\r\n\xa0  \r\n\r\n"
    "2\r\n00:00:03,000 --> 00:00:04,500\r\nP12   4,04m      ---\r\n\r\n"
    "7\r\n00:00:04,500 --> 00:00:06,000\r\nmargelle a z\xe9ro\r\n\r\n";

TEST(WellvueSrtTest, ScaleWritesTheUnderscoreFileAndPrintsTheMessages) {
  TempDir dir;
  put_file(dir.path() / "forage.srt", kSource);
  struct Case {
    std::vector<std::string> extra;
    const char* locale;
    std::string out;
    std::string second_time;
  };
  const Case cases[] = {
      {{"--video", "9"},
       "C",
       "if faut multiplier SRT par : 2\nt1 avi = 9\nt2 srt = 4.5\n\n" + (dir.path() / "_forage.srt").string() + "\n\n",
       "00:00:06,000 --> 00:00:09,000"},
      {{"--video", "0:09", "--srt", "00:00:03,000"},
       "C",
       "if faut multiplier SRT par : 3\nt1 avi = 9\nt2 srt = 3\n\n" + (dir.path() / "_forage.srt").string() + "\n\n",
       "00:00:09,000 --> 00:00:13,500"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"scale", (dir.path() / "forage.srt").string()};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const ToolRun r = run_tool(args, dir.path(), c.locale);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.out);
    const std::string written = file_bytes(dir.path() / "_forage.srt");
    EXPECT_NE(written.find("\r\n" + c.second_time + "\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("margelle a z\xe9ro\r\n\r\n"), std::string::npos);  // CP1252 kept
    EXPECT_NE(written.find("\r\n\xa0  \r\n"), std::string::npos);              // no-break space kept
  }
}

TEST(WellvueSrtTest, T0MatchesTheToolsSave) {
  TempDir dir;
  put_file(dir.path() / "f.srt", kSource);
  const ToolRun r = run_tool({"t0", (dir.path() / "f.srt").string(), "--offset", "0.5"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "00:00:02,000 --> 00:00:03,000\ndt= 2\n\nd\xc3\xa9"
            "calage = 0.5\n\n" +
                (dir.path() / "_f.srt").string() + "\n\n");
  EXPECT_EQ(file_bytes(dir.path() / "_f.srt"),
            "1\r\n00:00:00,000 --> 00:00:01,500\r\nP12  06/12/2026 17h19:33\r\n,  \r\n\r\n"
            "2\r\n00:00:01,500 --> 00:00:03,000\r\nP12   4,04m      ---\r\n\r\n"
            "3\r\n00:00:03,000 --> 00:00:04,500\r\nmargelle a z\xe9ro\r\n\r\n");
}

TEST(WellvueSrtTest, FailuresWriteNothing) {
  TempDir dir;
  put_file(dir.path() / "f.srt", kSource);
  put_file(dir.path() / "zero.srt", "1\r\n00:00:00,000 --> 00:00:01,000\r\nx\r\n");
  put_file(dir.path() / "bad.srt", "1\r\n00:00:02,000 --> 00:00:03,000\r\n2\r\n00:x0:03,000 --> 00:00:04,000\r\n");
  const std::string f = (dir.path() / "f.srt").string();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {{"scale", (dir.path() / "none.srt").string(), "--video", "9"},
       1,
       "Impossible d'ouvrir le fichier " + (dir.path() / "none.srt").string() + "\n"},
      {{"scale", (dir.path() / "zero.srt").string(), "--video", "9"},
       1,
       "Division par z\xc3\xa9ro en virgule flottante\n"},
      {{"scale", (dir.path() / "bad.srt").string(), "--video", "9", "--srt", "00:00:03,000"},
       1,
       "'x0' n'est pas une valeur enti\xc3\xa8re correcte\n"},
      {{"t0", f, "--offset", "1.x"}, 1, "'1.x' n'est pas une valeur en virgule flottante correcte\n"},
      {{"t0", (dir.path() / "bad.srt").string()}, 1, "'x0' n'est pas une valeur enti\xc3\xa8re correcte\n"},
      {{"scale", f}, 2, ""},
      {{"resize", f}, 2, ""},
      {{"t0", f, "--video", "9"}, 2, ""},
      {{"t0"}, 2, ""},
  };
  for (const auto& c : cases) {
    const ToolRun r = run_tool(c.args, dir.path());
    EXPECT_EQ(r.status, c.status) << c.args[0];
    if (!c.err.empty()) EXPECT_EQ(r.err, c.err);
    else EXPECT_NE(r.err.find("usage: wellvue-srt"), std::string::npos) << r.err;
  }
  for (const auto& e : fs::directory_iterator(dir.path()))
    EXPECT_NE(e.path().filename().string().front(), '_') << e.path();
}

TEST(WellvueSrtTest, MessagesUseTheLocaleSeparator) {
  TempDir dir;
  put_file(dir.path() / "f.srt", kSource);
  // The French locale may not be installed; the tool still picks the comma from its name.
  const ToolRun r = run_tool({"scale", (dir.path() / "f.srt").string(), "--video", "3"}, dir.path(), "fr_FR.UTF-8");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find("\n\n")),
            "if faut multiplier SRT par : 0,666666666666667\nt1 avi = 3\nt2 srt = 4,5");
}

}  // namespace
}  // namespace wellvue
