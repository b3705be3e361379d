// wellvue-export on a recording made by wellvue-record (test-pattern camera, simulated board):
// what ffprobe, ffmpeg and GStreamer read back from the exported files, the burned-in texts on
// decoded frames, and the faults an export meets: Ctrl-C, a full disk, an existing file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "../../util/temp_dir.h"
#include "child_run.h"
#include "util/numbers.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;

struct Cue {
  double start = 0, end = 0;
  std::string text;
};

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh log folder for each child, all removed when the test program ends.
fs::path logs_dir() {
  static test::TempDir logs;
  static int n = 0;
  return logs.path() / std::to_string(n++);
}

std::string output_of(const std::vector<std::string>& argv) { return test::run_child(argv, logs_dir()).out; }

// ffprobe's flat listing: streams.stream.1.codec_name -> subrip ...
std::map<std::string, std::string> probe(const fs::path& file) {
  std::map<std::string, std::string> keys;
  std::istringstream in(output_of({"ffprobe", "-v", "error", "-show_entries",
                                   "format=duration:format_tags:stream=index,codec_type,codec_name:stream_tags", "-of",
                                   "flat", file.string()}));
  for (std::string line; std::getline(in, line);) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string v = line.substr(eq + 1);
    if (v.size() >= 2 && v.front() == '"') v = v.substr(1, v.size() - 2);
    keys[line.substr(0, eq)] = v;
  }
  return keys;
}

// The name a player lists for stream i: Matroska's title tag, MP4's handler name.
std::string stream_name(const std::map<std::string, std::string>& p, int i) {
  const std::string base = "streams.stream." + std::to_string(i) + ".tags.";
  for (const char* key : {"title", "TITLE", "handler_name"})
    if (p.count(base + key)) return p.at(base + key);
  return "";
}

// A UTF-8 SRT text (LF or CR LF) as cues, markup tags taken out.
std::vector<Cue> parse_srt(const std::string& text) {
  std::vector<Cue> cues;
  std::istringstream in(text);
  std::string line;
  auto clean = [](std::string s) {
    if (!s.empty() && s.back() == '\r') s.pop_back();
    return s;
  };
  while (std::getline(in, line)) {
    line = clean(line);
    int h1, m1, s1, ms1, h2, m2, s2, ms2;
    if (std::sscanf(line.c_str(), "%d:%d:%d,%d --> %d:%d:%d,%d", &h1, &m1, &s1, &ms1, &h2, &m2, &s2, &ms2) != 8)
      continue;
    Cue c{h1 * 3600 + m1 * 60 + s1 + ms1 / 1000.0, h2 * 3600 + m2 * 60 + s2 + ms2 / 1000.0, ""};
    for (bool first = true; std::getline(in, line) && !(line = clean(line)).empty(); first = false)
      c.text += (first ? "" : "\n") + line;
    std::string plain;
    for (std::size_t i = 0; i < c.text.size(); ++i) {
      if (c.text[i] == '<') {
        i = c.text.find('>', i);
        if (i == std::string::npos) break;
        continue;
      }
      plain += c.text[i];
    }
    c.text = plain;
    cues.push_back(c);
  }
  return cues;
}

// The cues a player can show in a video of `duration` seconds.
std::vector<Cue> shown_within(const std::vector<Cue>& cues, double duration) {
  std::vector<Cue> out;
  for (auto c : cues) {
    c.end = std::min(c.end, duration);
    if (c.start < duration - 1e-6 && c.end > c.start + 1e-6 && !c.text.empty()) out.push_back(c);
  }
  return out;
}

std::vector<Cue> exported_track(const fs::path& file, int index, const fs::path& scratch) {
  const fs::path srt = scratch / ("track" + std::to_string(index) + ".srt");
  fs::remove(srt);
  output_of({"ffmpeg", "-v", "error", "-y", "-i", file.string(), "-map", "0:s:" + std::to_string(index), srt.string()});
  return parse_srt(read_file(srt));
}

void expect_same_cues(const std::vector<Cue>& got, const std::vector<Cue>& want, const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  ASSERT_FALSE(want.empty()) << what;
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(got[i].start, want[i].start, 0.040) << what << " cue " << i;
    EXPECT_NEAR(got[i].end, want[i].end, 0.040) << what << " cue " << i;
    EXPECT_EQ(got[i].text, want[i].text) << what << " cue " << i;
  }
}

// The luma of the frame at `seconds`.
std::string gray_frame(const fs::path& file, double seconds) {
  return output_of({"ffmpeg", "-v", "error", "-ss", fixed_text(seconds, 3), "-i", file.string(), "-frames:v", "1",
                    "-f", "rawvideo", "-pix_fmt", "gray", "-"});
}

double mean_difference(const std::string& a, const std::string& b, int width, int x0, int y0, int x1, int y1) {
  double sum = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width + x;
      sum += std::abs(int(static_cast<unsigned char>(a[i])) - int(static_cast<unsigned char>(b[i])));
    }
  return sum / ((x1 - x0) * (y1 - y0));
}

std::set<std::string> names_in(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

const std::string kBore =
    "Puits \xC3\xA9"
    "1";

// One 10-second recording for the whole suite, with an observations file beside it.
class ExportTool : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir;
    folder_ = dir_->path() / "videos";
    fs::create_directories(folder_);
    test::ChildRun rec({WELLVUE_RECORD_TOOL, "--test-source", "--simulate-board", "--seconds", "10", "--folder",
                        folder_.string(), "--prefix", "P12", "--no-date", "--bore", kBore},
                       dir_->path() / "record-logs");
    ASSERT_EQ(rec.wait(), 0) << rec.err();
    std::ofstream(folder_ / "P12.obs.srt", std::ios::binary)
        << "1\r\n00:00:02,000 --> 00:00:03,500\r\nFIS \xE2\x80\x94 0.40m\r\n\r\n"
           "2\r\n00:00:06,000 --> 00:00:07,000\r\nRAC \xE2\x80\x94 1.05m\r\n\r\n";
    avi_duration_ = read_decimal(probe(folder_ / "P12.avi")["format.duration"]).value_or(0);
    // The station's track read by another program (iconv) than the one under test.
    srt_utf8_ = output_of({"iconv", "-f", "CP1252", "-t", "UTF-8", (folder_ / "P12.srt").string()});
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  static test::ChildRun export_run(std::vector<std::string> args) {
    args.insert(args.begin(), WELLVUE_EXPORT_TOOL);
    return test::ChildRun(args, logs_dir());
  }
  static fs::path scratch() {
    const fs::path p = dir_->path() / ("scratch" + std::to_string(++scratch_n_));
    fs::create_directories(p);
    return p;
  }

  static inline test::TempDir* dir_ = nullptr;
  static inline fs::path folder_;
  static inline double avi_duration_ = 0;
  static inline std::string srt_utf8_;
  static inline int scratch_n_ = 0;
};

TEST_F(ExportTool, BothContainersHoldH264AndTwoNamedTracksMatchingTheRecordingsFiles) {
  ASSERT_GE(avi_duration_, 9.5);
  for (const char* format : {"mkv", "mp4"}) {
    SCOPED_TRACE(format);
    const fs::path work = scratch();
    const fs::path out = work / (std::string("P12.") + format);
    auto run = export_run({(folder_ / "P12").string(), "--format", format, "--output", out.string()});
    ASSERT_EQ(run.wait(), 0) << run.err();
    EXPECT_EQ(names_in(work), (std::set<std::string>{out.filename().string()}));

    auto p = probe(out);
    EXPECT_EQ(p["streams.stream.0.codec_type"], "video");
    EXPECT_EQ(p["streams.stream.0.codec_name"], "h264");
    EXPECT_EQ(p["streams.stream.1.codec_type"], "subtitle");
    EXPECT_EQ(p["streams.stream.2.codec_type"], "subtitle");
    EXPECT_EQ(p.count("streams.stream.3.codec_type"), 0u);
    EXPECT_EQ(stream_name(p, 1), "Profondeur");
    EXPECT_EQ(stream_name(p, 2), "Observations");
    // The file's own title is the bore's, never a track's name.
    EXPECT_EQ(p.count("format.tags.title") ? p["format.tags.title"] : p["format.tags.TITLE"], kBore);
    EXPECT_NEAR(read_decimal(p["format.duration"]).value_or(0), avi_duration_, 0.040);

    expect_same_cues(exported_track(out, 0, work), shown_within(parse_srt(srt_utf8_), avi_duration_), "depth");
    expect_same_cues(exported_track(out, 1, work), parse_srt(read_file(folder_ / "P12.obs.srt")), "observations");

    // GStreamer decodes its three streams to the end (a stream left over fails as not linked).
    EXPECT_EQ(test::run_child({"gst-launch-1.0",
                               "-q",
                               "uridecodebin",
                               "uri=file://" + out.string(),
                               "name=d",
                               "d.",
                               "!",
                               "queue",
                               "!",
                               "fakesink",
                               "d.",
                               "!",
                               "queue",
                               "!",
                               "fakesink",
                               "d.",
                               "!",
                               "queue",
                               "!",
                               "fakesink"},
                              logs_dir())
                  .code,
              0);
  }
}

// What players and inspectors other than FFmpeg read: mediainfo (titles once, default flags,
// languages, the MP4's index before its data, x264's settings), mkvmerge (Matroska's own title)
// and mpv (the tracks it lists and which subtitle track it shows by itself).
TEST_F(ExportTool, PlayersShowTheDepthTrackByItselfUnderItsNameAndTheBoreAsTitle) {
  // These inspectors write what is not ASCII as '?' under the C locale.
  const std::string kUtf8 = "LC_ALL=C.UTF-8";
  struct Case {
    const char* format;
    bool mpv_lists_names;  // mpv 0.35 on FFmpeg 5.1 (Debian 12) reads no MP4 track name
  };
  for (const Case& c : {Case{"mkv", true}, Case{"mp4", false}}) {
    SCOPED_TRACE(c.format);
    const fs::path out = scratch() / (std::string("P12.") + c.format);
    auto run = export_run({(folder_ / "P12").string(), "--format", c.format, "--output", out.string()});
    ASSERT_EQ(run.wait(), 0) << run.err();
    auto info = [&](const std::string& form) {
      return output_of({"env", kUtf8, "mediainfo", "--Inform=" + form, out.string()});
    };
    EXPECT_EQ(info("Text;%Title%|%Default%|%Language%\\n"), "Profondeur|Yes|fr\nObservations|No|fr\n\n");
    const std::string video = info("Video;%Language%|%Encoded_Library_Settings%");
    EXPECT_TRUE(video.starts_with("fr|")) << video;
    // A quality target, not a rate: the ceiling is far above what the picture needs.
    EXPECT_NE(video.find("rc=crf / "), std::string::npos) << video;
    EXPECT_NE(video.find("crf=21.0 / "), std::string::npos) << video;
    EXPECT_NE(video.find("vbv_maxrate=12000 / "), std::string::npos) << video;
    EXPECT_EQ(info("General;%Movie%"), kBore + "\n");
    if (std::string(c.format) == "mp4") {
      EXPECT_EQ(info("General;%IsStreamable%"), "Yes\n");  // index before the data
    } else {
      const std::string json = output_of({"env", kUtf8, "mkvmerge", "-J", out.string()});
      EXPECT_NE(json.find("\"title\": \"" + kBore + "\""), std::string::npos) << json;
    }

    const std::string mpv = output_of({"env", kUtf8, "mpv", "--no-config", "--sub-auto=no", "--vo=null", "--ao=null", "--frames=1",
                                       "--msg-level=all=info", out.string()});
    std::vector<std::string> subs;
    std::istringstream lines(mpv);
    for (std::string line; std::getline(lines, line);)
      if (line.find("--sid=") != std::string::npos) subs.push_back(line);
    ASSERT_EQ(subs.size(), 2u) << mpv;
    EXPECT_EQ(subs[0].rfind(" (+) Subs", 0), 0u) << "shown by itself: " << subs[0];
    EXPECT_NE(subs[0].find("(*)"), std::string::npos) << subs[0];
    EXPECT_EQ(subs[1].find("(*)"), std::string::npos) << subs[1];
    EXPECT_EQ(subs[1].find("(+)"), std::string::npos) << subs[1];
    if (c.mpv_lists_names) {
      EXPECT_NE(subs[0].find("'Profondeur'"), std::string::npos) << subs[0];
      EXPECT_NE(subs[1].find("'Observations'"), std::string::npos) << subs[1];
    }
  }
}

TEST_F(ExportTool, BurnDrawsTheTextsIntoThePicture) {
  const fs::path work = scratch();
  auto plain = export_run({(folder_ / "P12.avi").string(), "--output", (work / "plain.mkv").string()});
  ASSERT_EQ(plain.wait(), 0) << plain.err();
  auto burnt = export_run({(folder_ / "P12.srt").string(), "--burn", "--output", (work / "burnt.mkv").string()});
  ASSERT_EQ(burnt.wait(), 0) << burnt.err();
  auto p = probe(work / "burnt.mkv");
  EXPECT_EQ(stream_name(p, 1), "Profondeur");  // the tracks stay beside the burned-in texts
  const int width = 640, height = 480;
  const std::string a = gray_frame(work / "plain.mkv", 5.0), b = gray_frame(work / "burnt.mkv", 5.0);
  ASSERT_EQ(a.size(), static_cast<std::size_t>(width * height));
  ASSERT_EQ(b.size(), a.size());
  // The text block at the top left differs; the rest of the picture is the same.
  EXPECT_GT(mean_difference(a, b, width, 20, 20, 400, 80), 20.0);
  EXPECT_LT(mean_difference(a, b, width, 0, 300, width, height), 3.0);
}

TEST_F(ExportTool, CtrlCCancelsAndLeavesNoFile) {
  const fs::path work = scratch();
  auto run = export_run({(folder_ / "P12").string(), "--burn", "--output", (work / "P12.mkv").string()});
  // Once the encoding is under way.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (run.err().find("export :") == std::string::npos && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  run.signal(SIGINT);
  EXPECT_EQ(run.wait(), 1) << run.err();
  EXPECT_NE(run.err().find("annulé"), std::string::npos) << run.err();
  EXPECT_TRUE(names_in(work).empty());
}

TEST_F(ExportTool, AFullDiskFailsWithItsReasonAndLeavesNoFile) {
  const fs::path small = scratch() / "small";
  fs::create_directories(small);
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=600k") != 0) GTEST_SKIP() << "tmpfs needs root";
  auto run = export_run({(folder_ / "P12").string(), "--output", (small / "P12.mkv").string()});
  const int code = run.wait();
  const auto left = names_in(small);
  ::umount(small.c_str());
  EXPECT_EQ(code, 1) << run.err();
  EXPECT_NE(run.err().find("disque plein"), std::string::npos) << run.err();
  EXPECT_TRUE(left.empty());
}

TEST_F(ExportTool, AnExistingFileIsReplacedOnlyWhenTold) {
  const fs::path work = scratch();
  const fs::path out = work / "P12.mp4";
  std::ofstream(out) << "the client's copy";
  auto refused = export_run({(folder_ / "P12").string(), "--format", "mp4", "--output", out.string()});
  EXPECT_EQ(refused.wait(), 1);
  EXPECT_NE(refused.err().find("existe déjà"), std::string::npos) << refused.err();
  EXPECT_EQ(read_file(out), "the client's copy");
  auto replaced = export_run({(folder_ / "P12").string(), "--format", "mp4", "--output", out.string(), "--replace"});
  EXPECT_EQ(replaced.wait(), 0) << replaced.err();
  EXPECT_EQ(probe(out)["streams.stream.0.codec_name"], "h264");
  EXPECT_EQ(names_in(work), (std::set<std::string>{"P12.mp4"}));
}

TEST_F(ExportTool, SoundIsCarriedOverInBothContainers) {
  const fs::path work = scratch();
  const fs::path avi = work / "S.avi";
  ASSERT_EQ(test::run_child({"gst-launch-1.0",
                             "-q",
                             "videotestsrc",
                             "num-buffers=50",
                             "!",
                             "video/x-raw,width=320,height=240,framerate=25/1",
                             "!",
                             "jpegenc",
                             "!",
                             "avimux",
                             "name=m",
                             "!",
                             "filesink",
                             "location=" + avi.string(),
                             "audiotestsrc",
                             "num-buffers=86",
                             "!",
                             "audio/x-raw,rate=44100,channels=1",
                             "!",
                             "m."},
                            logs_dir())
                .code,
            0);
  std::ofstream(work / "S.srt", std::ios::binary) << "1\r\n00:00:00,000 --> 00:00:01,000\r\n 0.00m      ---\r\n\r\n";
  for (const char* format : {"mkv", "mp4"}) {
    auto run = export_run({avi.string(), "--format", format});
    ASSERT_EQ(run.wait(), 0) << format << run.err();
    auto p = probe(work / (std::string("S.") + format));
    EXPECT_EQ(p["streams.stream.1.codec_type"], "audio") << format;
    EXPECT_EQ(p["streams.stream.1.codec_name"], "aac") << format;
    EXPECT_EQ(stream_name(p, 2), "Profondeur") << format;
  }
}

TEST_F(ExportTool, ABadCommandLineExitsWithTwo) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"--format", "avi", "P12"}, {"P12", "P13"}, {"--output"}, {"--frobnicate", "P12"}}) {
    auto run = export_run(args);
    EXPECT_EQ(run.wait(), 2) << run.err();
  }
  auto missing = export_run({(folder_ / "absent").string()});
  EXPECT_EQ(missing.wait(), 1);
  EXPECT_NE(missing.err().find("introuvable"), std::string::npos) << missing.err();
}

}  // namespace
}  // namespace wellvue
