// wellvue-report on a recording made by wellvue-record (test-pattern camera, simulated board):
// the PDF's text read back with pdftotext, its first pages rendered with pdftoppm and looked at
// pixel by pixel.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>

#include "../../util/temp_dir.h"
#include "record_tool_command.h"
#include "recording/depth_record.h"
#include "recording/video_hash.h"
#include "report/report_content.h"
#include "util/numbers.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;

// A fresh log folder for each child, all removed when the test program ends.
fs::path logs_dir() {
  static test::TempDir logs;
  static int n = 0;
  return logs.path() / std::to_string(n++);
}

// The standard output then the error of a program, and its exit code.
std::pair<std::string, int> run(const std::vector<std::string>& argv) {
  const test::ChildResult r = test::run_child(argv, logs_dir());
  return {r.out + r.err, r.code};
}

// Without a display, as on a server: the tool needs none.
std::pair<std::string, int> report(std::vector<std::string> args) {
  args.insert(args.begin(), WELLVUE_REPORT_TOOL);
  const test::ChildResult r = test::run_child(args, logs_dir(), {{}, {"DISPLAY", "QT_QPA_PLATFORM"}});
  return {r.out + r.err, r.code};
}

std::string pdf_text(const fs::path& pdf) { return run({"pdftotext", "-layout", pdf.string(), "-"}).first; }
// The text in reading order with every run of blanks and line ends as one space: a note wrapped
// in its column reads whole.
std::string flowing_text(const fs::path& pdf) {
  return std::regex_replace(run({"pdftotext", pdf.string(), "-"}).first, std::regex("\\s+"), " ");
}

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// One page rendered as RGB pixels.
struct Page {
  int width = 0, height = 0;
  std::string rgb;
  // Pixels of the band of the page (fractions of its height) that are drawn (not white), and red.
  std::pair<int, int> drawn_and_red(double from, double to) const {
    int drawn = 0, red = 0;
    for (int y = static_cast<int>(from * height); y < static_cast<int>(to * height); ++y)
      for (int x = 0; x < width; ++x) {
        const auto* px = reinterpret_cast<const unsigned char*>(rgb.data()) + 3 * (y * width + x);
        if (px[0] < 200 || px[1] < 200 || px[2] < 200) ++drawn;
        if (px[0] > 150 && px[1] < 90 && px[2] < 90) ++red;
      }
    return {drawn, red};
  }
};

Page render(const fs::path& pdf, int page, const fs::path& dir) {
  const fs::path prefix = dir / ("page" + std::to_string(page));
  run({"pdftoppm", "-r", "50", "-singlefile", "-f", std::to_string(page), "-l", std::to_string(page), pdf.string(),
       prefix.string()});
  const std::string ppm = slurp(prefix.string() + ".ppm");
  Page p;
  std::istringstream in(ppm);
  std::string magic;
  int max = 0;
  in >> magic >> p.width >> p.height >> max;
  in.get();
  if (magic != "P6") return {};
  p.rgb = ppm.substr(static_cast<std::size_t>(in.tellg()));
  if (p.rgb.size() < static_cast<std::size_t>(3 * p.width * p.height)) return {};
  return p;
}

std::string french_metres(double m) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f m", m);
  std::string s = text;
  std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

constexpr const char* kNote = "joint ouvert, \xC3\xA0 surveiller";  // "à surveiller"

class ReportTool : public ::testing::Test {
 protected:
  // One recording for the suite: 8 s of descent, a photo, two observations.
  static void SetUpTestSuite() {
    dir_ = new test::TempDir;
    fs::create_directories(folder());
    test::ChildRun rec(
        test::record_tool({"--test-source", "--simulate-board", "--seconds", "8", "--folder", folder().string(),
                           "--prefix", "P12", "--no-date", "--bore", "Puits 3", "--snapshot-at", "1", "--observe-at",
                           "3=Corrosion", "--observe-at", "5=Cr\xC3\xA9pine haut"}),
        dir_->path() / "logs");
    if (rec.wait(120000) != 0) {
      setup_error_ = "wellvue-record failed: " + rec.err();
      return;
    }
    // The station writes an observation's note after its code; the tool cannot type one, so the
    // second observation gets its note through the record's own writer.
    const fs::path record = folder() / "P12.depth.csv";
    DepthRecord r = read_depth_record(record.string());
    DepthHeader header;
    const std::string text = slurp(record);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line) && line.starts_with("# ");) {
      const auto colon = line.find(": ");
      if (colon != std::string::npos) header.emplace_back(line.substr(2, colon - 2), line.substr(colon + 2));
    }
    for (DepthRow& row : r.rows)
      if (row.event == "observation" && row.detail == "Cr\xC3\xA9pine haut") row.detail += std::string(": ") + kNote;
    if (!write_depth_record(record.string(), header, r.rows)) setup_error_ = "cannot rewrite " + record.string();
  }
  // A recording that could not be made fails every test rather than skipping it.
  void SetUp() override { ASSERT_EQ(setup_error_, ""); }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static fs::path folder() { return dir_->path() / "rec"; }
  static inline test::TempDir* dir_ = nullptr;
  static inline std::string setup_error_;
};

TEST_F(ReportTool, TheReportHoldsTheBoreTheMaximumDepthEveryObservationAndTheVideosHash) {
  const fs::path pdf = dir_->path() / "rapport.pdf";
  const auto [out, code] = report({(folder() / "P12.avi").string(), "--output", pdf.string(), "--site",
                                   "Ferme des Aulnes", "--operator", "J. Martin"});
  ASSERT_EQ(code, 0) << out;
  const std::string text = pdf_text(pdf);

  EXPECT_NE(text.find("Puits 3"), std::string::npos) << text;
  EXPECT_NE(text.find("Ferme des Aulnes"), std::string::npos);
  EXPECT_NE(text.find("J. Martin"), std::string::npos);
  const DepthRecord r = read_depth_record((folder() / "P12.depth.csv").string());
  double deepest = 0;
  int observations = 0;
  for (const DepthRow& row : r.rows) {
    if (row.event == "line") deepest = std::max(deepest, row.depth_m);
    if (row.event == "observation") ++observations;
  }
  ASSERT_GT(deepest, 0.5);
  EXPECT_TRUE(std::regex_search(text, std::regex("Profondeur maximale +" + french_metres(deepest))))
      << french_metres(deepest) << "\n"
      << text;
  EXPECT_EQ(observations, 2);
  const std::string flowing = flowing_text(pdf);
  for (const char* expected : {"Corrosion", "Cr\xC3\xA9pine haut", kNote})
    EXPECT_NE(flowing.find(expected), std::string::npos) << expected << "\n" << flowing;
  EXPECT_EQ(text.find("Aucune observation"), std::string::npos);

  const std::string sha = run({"sha256sum", (folder() / "P12.avi").string()}).first.substr(0, 64);
  ASSERT_EQ(sha.size(), 64u);
  EXPECT_NE(text.find("SHA-256 " + sha), std::string::npos) << sha;
  // wellvue-record left the video's hash beside it, and the client's own check accepts it.
  EXPECT_EQ(slurp(folder() / "P12.avi.sha256"), sha + "  P12.avi\n");
  const auto [checked, check_code] =
      run({"sh", "-c", "cd \"$1\" && LC_ALL=C sha256sum -c P12.avi.sha256", "sh", folder().string()});
  EXPECT_EQ(check_code, 0) << checked;
  EXPECT_EQ(checked, "P12.avi: OK\n");

  // Page 1: the profile in its lower half, with the observations' red marks; page 2: the strip
  // log down the page, with its red observation lines.
  const Page first = render(pdf, 1, dir_->path());
  ASSERT_GT(first.width, 0);
  const auto [profile_drawn, profile_red] = first.drawn_and_red(0.6, 0.9);
  EXPECT_GT(profile_drawn, first.width * first.height * 0.3 * 0.005);
  EXPECT_GT(profile_red, 3);
  const Page second = render(pdf, 2, dir_->path());
  ASSERT_GT(second.width, 0);
  const auto [log_drawn, log_red] = second.drawn_and_red(0.1, 0.9);
  EXPECT_GT(log_drawn, second.width * second.height * 0.8 * 0.005);
  EXPECT_GT(log_red, 3);
}

TEST_F(ReportTool, TheReportTakesTheKeptVideoHashOnlyWhenItIsTrustworthy) {
  const std::string real = run({"sha256sum", (folder() / "P12.avi").string()}).first.substr(0, 64);
  // A digest no file has: a report that shows it took the kept hash without reading the video.
  const std::string kept(64, 'a'), line = kept + "  P12.avi\n";
  const struct {
    const char* what;
    std::string content;  // of the hash file (of its target for a link)
    bool link;
    int after_video_s;  // the hash file's time
    bool trusted;
  } cases[] = {
      {"valid", line, false, 10, true},
      {"stale: the video written again after", line, false, -10, false},
      {"another video's name", kept + "  P13.avi\n", false, 10, false},
      {"a link to a valid file", line, true, 10, false},
      {"two lines", line + line, false, 10, false},
      {"upper-case digest", std::string(64, 'A') + "  P12.avi\n", false, 10, false},
      {"short digest", line.substr(1), false, 10, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    const fs::path at = dir_->path() / ("kept" + std::to_string(++n)), hash = at / "P12.avi.sha256",
                   written = c.link ? at / "x" : hash;
    fs::create_directories(at);
    for (const char* name : {"P12.avi", "P12.srt", "P12.depth.csv"}) fs::copy_file(folder() / name, at / name);
    std::ofstream(written, std::ios::binary) << c.content;
    if (c.link) fs::create_symlink(written, hash);
    fs::last_write_time(written, fs::last_write_time(at / "P12.avi") + std::chrono::seconds(c.after_video_s));

    EXPECT_EQ(kept_video_hash((at / "P12.avi").string()), c.trusted ? std::optional(kept) : std::nullopt) << c.what;
    // The video's hash, then the small files', which are read each time.
    const ReportContent report = gather_report((at / "P12.avi").string(), {});
    ASSERT_EQ(report.files.size(), 3u) << c.what;
    EXPECT_EQ(report.files[0].sha256, c.trusted ? kept : real) << c.what;
    EXPECT_EQ(report.files[1].sha256, run({"sha256sum", (at / "P12.srt").string()}).first.substr(0, 64)) << c.what;
  }
}

TEST_F(ReportTool, WithoutDepthRecordOrObservationsTheSubtitlesStillGiveAReportThatSaysSo) {
  // Only the video and its subtitles, as a recording copied from an older station.
  const fs::path bare = dir_->path() / "bare";
  fs::create_directories(bare);
  fs::copy_file(folder() / "P12.avi", bare / "P12.avi");
  fs::copy_file(folder() / "P12.srt", bare / "P12.srt");
  const fs::path pdf = dir_->path() / "nu.pdf";
  const auto [out, code] = report({(bare / "P12.srt").string(), "--output", pdf.string()});
  ASSERT_EQ(code, 0) << out;
  const std::string text = pdf_text(pdf);
  EXPECT_NE(text.find("Puits 3"), std::string::npos) << text;
  EXPECT_NE(text.find("Aucune observation"), std::string::npos) << text;
  EXPECT_NE(text.find("pas d'enregistrement des profondeurs"), std::string::npos);
  const DepthRecord r = read_depth_record((folder() / "P12.depth.csv").string());
  double deepest = 0;
  for (const DepthRow& row : r.rows)
    if (row.event == "line") deepest = std::max(deepest, row.depth_m);
  EXPECT_TRUE(std::regex_search(text, std::regex("Profondeur maximale +" + french_metres(deepest)))) << text;
  const Page first = render(pdf, 1, dir_->path());
  EXPECT_GT(first.drawn_and_red(0.6, 0.9).first, first.width * first.height * 0.3 * 0.005);

  // A depth record that does not read (a row garbled on disk): the subtitles again, and the
  // header says why.
  std::ofstream(bare / "P12.depth.csv", std::ios::binary) << slurp(folder() / "P12.depth.csv") << "12,line,x,y,z,,\n";
  const auto [out2, code2] = report({(bare / "P12.avi").string(), "--output", pdf.string()});
  ASSERT_EQ(code2, 0) << out2;
  const std::string garbled = pdf_text(pdf);
  EXPECT_NE(garbled.find("Attention"), std::string::npos) << garbled;
  EXPECT_NE(garbled.find("pas d'enregistrement des profondeurs"), std::string::npos) << garbled;
  EXPECT_TRUE(std::regex_search(garbled, std::regex("Profondeur maximale +" + french_metres(deepest)))) << garbled;
}

TEST_F(ReportTool, AWaterZeroPutsTheWaterLevelInTheHeaderAndOnTheStripLog) {
  // The same recording with a water zero made at 30 tics before it started (above the bottom).
  const fs::path wet = dir_->path() / "wet";
  fs::create_directories(wet);
  for (const char* name : {"P12.avi", "P12.srt"}) fs::copy_file(folder() / name, wet / name);
  std::string record = slurp(folder() / "P12.depth.csv");
  const std::string none = "# water_zero_tics: -1\n";
  ASSERT_NE(record.find(none), std::string::npos);
  record.replace(record.find(none), none.size(), "# water_zero_tics: 30\n");
  std::ofstream(wet / "P12.depth.csv", std::ios::binary) << record;
  const DepthRecord r = read_depth_record((wet / "P12.depth.csv").string());
  const double circumference_m = read_decimal(r.header.at("circumference_mm_per_turn")).value_or(0) / 1000;
  const double level = read_decimal(r.header.at("start_depth_m")).value_or(0) +
                       (30 - read_whole<int>(r.header.at("curb_zero_tics")).value_or(0)) * circumference_m / 24;

  const fs::path pdf = dir_->path() / "eau.pdf";
  const auto [out, code] = report({(wet / "P12").string(), "--output", pdf.string()});
  ASSERT_EQ(code, 0) << out;
  const std::string text = pdf_text(pdf);
  EXPECT_NE(text.find("30 tics (niveau d'eau \xC3\xA0 " + french_metres(level) + ")"), std::string::npos) << text;
  EXPECT_NE(text.find("Niveau d'eau " + french_metres(level)), std::string::npos) << text;
  // The water drawn blue in the bore below its level.
  const Page log = render(pdf, 2, dir_->path());
  int blue = 0;
  for (int y = log.height / 10; y < log.height * 9 / 10; ++y)
    for (int x = 0; x < log.width; ++x) {
      const auto* px = reinterpret_cast<const unsigned char*>(log.rgb.data()) + 3 * (y * log.width + x);
      if (px[2] > 230 && px[0] < 215 && px[1] < 235) ++blue;
    }
  EXPECT_GT(blue, 200);
}

TEST_F(ReportTool, FailuresSayWhyInFrenchAndLeaveAnEarlierReportAsItWas) {
  const fs::path old_pdf = dir_->path() / "ancien.pdf";
  std::ofstream(old_pdf) << "earlier report";
  const struct {
    std::vector<std::string> args;
    int code;
    const char* says;
  } cases[] = {
      {{}, 2, "enregistrement manquant"},
      {{(folder() / "P12.avi").string()}, 2, "--output manquant"},
      {{(folder() / "P12.avi").string(), "--output", old_pdf.string(), "--colour"}, 2, "option inconnue"},
      {{(dir_->path() / "absent.avi").string(), "--output", old_pdf.string()}, 1, "Impossible d'ouvrir le fichier"},
      {{(folder() / "P12.avi").string(), "--output", (dir_->path() / "no-folder" / "r.pdf").string()},
       1,
       "Impossible de cr\xC3\xA9"
       "er le fichier"},
  };
  for (const auto& c : cases) {
    const auto [out, code] = report(c.args);
    const std::string args = c.args.empty() ? "(none)" : c.args.back();
    EXPECT_EQ(code, c.code) << args << "\n" << out;
    EXPECT_NE(out.find(c.says), std::string::npos) << args << "\n" << out;
    EXPECT_EQ(slurp(old_pdf), "earlier report") << args;
  }
  // No temporary file left beside the report.
  for (const auto& e : fs::directory_iterator(dir_->path()))
    EXPECT_EQ(e.path().filename().string().find("ancien.pdf."), std::string::npos) << e.path();
}

}  // namespace
}  // namespace wellvue
