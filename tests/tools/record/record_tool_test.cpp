// wellvue-record as the operator runs it: the test-pattern camera, the simulated board on a
// pseudo-terminal, real AVI and SRT files read back through GStreamer, and the depth record beside
// them.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <thread>

#include "../../util/temp_dir.h"
#include "depth_check.h"
#include "record_tool_command.h"
#include "recording/depth_record.h"
#include "recording/unfinished_recordings.h"
#include "recording_rig.h"
#include "srt_layout.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;

std::set<std::string> names_in(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

// The video plays, its subtitles keep the layout, and the closing entry ends within a frame of
// the video's end; each line of the depth record is within a frame of its entry.
void expect_whole_recording(const fs::path& avi, const fs::path& srt) {
  const test::PlayedVideo v = test::play_avi(avi.string());
  ASSERT_TRUE(v.ok) << v.error << " (" << v.frames << " frames)";
  const test::SrtLayout l = test::srt_layout(test::read_bytes(srt));
  ASSERT_EQ(l.problem, "");
  const double frame_s = v.duration_s / static_cast<double>(v.frames);
  EXPECT_NEAR(l.closing_end_ms / 1000.0, v.duration_s, frame_s + 0.001);
  fs::path depth = avi;
  depth.replace_extension(".depth.csv");
  const DepthRecord record = read_depth_record(depth.string());
  EXPECT_EQ(test::depth_record_problem(record, test::parse_srt(srt.string()), /*closed=*/true), "");
  EXPECT_NEAR(static_cast<double>(record.rows.back().video_ms), l.closing_end_ms, 1);
}

TEST(RecordTool, TenSecondsWriteTheVideoAndItsSubtitlesAndNothingElse) {
  test::TempDir dir;
  const fs::path folder = dir.path() / "videos";
  fs::create_directories(folder);
  test::ChildRun run(test::record_tool({"--test-source", "--simulate-board", "--seconds", "10", "--folder",
                                        folder.string(), "--prefix", "P12", "--no-date"}),
                     dir.path() / "logs");
  ASSERT_EQ(run.wait(), 0) << run.err();
  // No temporary file, journal or crash note left beside the recording: its video, subtitles,
  // depth record and the video's kept hash.
  EXPECT_EQ(names_in(folder), (std::set<std::string>{"P12.avi", "P12.srt", "P12.depth.csv", "P12.avi.sha256"}));
  EXPECT_EQ(run.out(), (folder / "P12.avi").string() + "\n" + (folder / "P12.srt").string() + "\n" +
                           (folder / "P12.depth.csv").string() + "\n");
  expect_whole_recording(folder / "P12.avi", folder / "P12.srt");
  EXPECT_GE(test::play_avi((folder / "P12.avi").string()).duration_s, 9.5);
  // The default answer to the zero question is printed with it.
  EXPECT_NE(run.err().find("-> oui (réponse par défaut)"), std::string::npos) << run.err();
}

// "width,height" of a file's first video stream as ffprobe reads it.
std::string probed_size(const fs::path& file) {
  const std::string command = "ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 '" +
                              file.string() + "' 2>/dev/null";
  std::string text;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[128];
    while (std::fgets(buffer, sizeof buffer, p)) text += buffer;
    ::pclose(p);
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == ',')) text.pop_back();
  return text;
}

// A photo and an observation during a recording: the pictures at the camera's own size beside the
// recording, the observation on the video in its own subtitle file, both in the depth record at
// the same video time.
TEST(RecordTool, PhotosAndObservationsLandBesideTheRecordingAtTheCamerasSize) {
  test::TempDir dir;
  const fs::path folder = dir.path() / "videos";
  fs::create_directories(folder);
  test::ChildRun run(
      test::record_tool({"--test-source", "--simulate-board", "--seconds", "7", "--folder", folder.string(), "--prefix",
                         "P12", "--no-date", "--snapshot-at", "2", "--observe-at", "4=Corrosion"}),
      dir.path() / "logs");
  ASSERT_EQ(run.wait(), 0) << run.err();
  std::vector<fs::path> photos;
  for (const std::string& name : names_in(folder))
    if (name.ends_with(".jpg")) photos.push_back(folder / name);
  ASSERT_EQ(photos.size(), 2u) << run.out();
  // avi, its hash, srt, depth record, observations, two photos
  EXPECT_EQ(names_in(folder).size(), 7u) << run.out();
  // Named after the recording and the depth; the observation's photo also by its code.
  const std::string observed = photos[0].filename().string().find("Corrosion") != std::string::npos
                                   ? photos[0].filename().string()
                                   : photos[1].filename().string();
  EXPECT_TRUE(observed.starts_with("P12 ") && observed.ends_with("m Corrosion.jpg")) << observed;

  // The camera's own width, the picture's height plus the band under it.
  const std::string video = probed_size(folder / "P12.avi");
  ASSERT_NE(video.find(','), std::string::npos) << video;
  const int video_width = std::stoi(video), video_height = std::stoi(video.substr(video.find(',') + 1));
  for (const fs::path& photo : photos) {
    const std::string size = probed_size(photo);
    ASSERT_NE(size.find(','), std::string::npos) << photo;
    EXPECT_EQ(std::stoi(size), video_width) << photo;
    EXPECT_GT(std::stoi(size.substr(size.find(',') + 1)), video_height) << photo;
  }

  const std::vector<test::ParsedSubtitle> cues = test::parse_srt((folder / "P12.obs.srt").string());
  ASSERT_EQ(cues.size(), 1u);
  EXPECT_NE(cues[0].text.find("Corrosion"), std::string::npos) << cues[0].text;
  EXPECT_NEAR(cues[0].start_s, 4.0, 1.0);
  // Five seconds on the video, cut at its end.
  EXPECT_NEAR(cues[0].end_s, std::min(cues[0].start_s + 5.0, test::play_avi((folder / "P12.avi").string()).duration_s),
              0.045);

  const DepthRecord record = read_depth_record((folder / "P12.depth.csv").string());
  std::optional<std::int64_t> observation_ms;
  int snapshots = 0;
  for (const DepthRow& row : record.rows) {
    if (row.event == "observation") {
      EXPECT_EQ(row.detail, "Corrosion");
      observation_ms = row.video_ms;
    }
    if (row.event == "snapshot") {
      ++snapshots;
      EXPECT_TRUE(fs::exists(folder / row.detail)) << row.detail;
    }
  }
  EXPECT_EQ(snapshots, 2);
  ASSERT_TRUE(observation_ms.has_value());
  EXPECT_NEAR(static_cast<double>(*observation_ms) / 1000.0, cues[0].start_s, 0.040);
  expect_whole_recording(folder / "P12.avi", folder / "P12.srt");
}

// Ctrl-C, the session's end and a terminal closed under it all stop the recording as the stop
// button does: nothing half-written, the checksum kept.
TEST(RecordTool, SignalsStopTheRecordingAsTheStopButton) {
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    test::TempDir dir;
    const fs::path folder = dir.path() / "videos";
    fs::create_directories(folder);
    test::ChildRun run(
        test::record_tool({"--test-source", "--simulate-board", "--folder", folder.string(), "--prefix", "P12"}),
        dir.path() / "logs");
    // Recording once the crash note is written; then three seconds of video.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    auto noted = [&] {
      for (const auto& name : names_in(folder))
        if (name.size() > std::string(kRecordingNoteSuffix).size() && name.ends_with(kRecordingNoteSuffix))
          return true;
      return false;
    };
    while (!noted() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(noted()) << run.err();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    run.signal(sig);
    ASSERT_EQ(run.wait(), 0) << run.err();
    EXPECT_EQ(names_in(folder), (std::set<std::string>{"P12.avi", "P12.srt", "P12.depth.csv", "P12.avi.sha256"}));
    expect_whole_recording(folder / "P12.avi", folder / "P12.srt");
  }
}

TEST(RecordTool, AnExistingVideoIsReplacedOnlyWhenTold) {
  struct Case {
    std::vector<std::string> answer;
    int code;
    bool kept;
  };
  for (const Case& c : {Case{{}, 1, true}, Case{{"--replace", "no"}, 1, true}, Case{{"--replace", "yes"}, 0, false}}) {
    SCOPED_TRACE(c.answer.empty() ? "default" : c.answer[1]);
    test::TempDir dir;
    const fs::path folder = dir.path() / "videos";
    fs::create_directories(folder);
    std::ofstream(folder / "P12.avi") << "an earlier recording";
    std::vector<std::string> args{"--test-source", "--simulate-board", "--seconds", "2",
                                  "--folder",      folder.string(),    "--prefix",  "P12"};
    args.insert(args.end(), c.answer.begin(), c.answer.end());
    test::ChildRun run(test::record_tool(args), dir.path() / "logs");
    EXPECT_EQ(run.wait(), c.code) << run.err();
    EXPECT_EQ(test::read_bytes(folder / "P12.avi") == "an earlier recording", c.kept);
  }
}

TEST(RecordTool, RefusesABadCommandLine) {
  test::TempDir dir;
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--seconds", "0"},
                                             {"--replace", "maybe"},
                                             {"--folder"},
                                             {"--what"},
                                             {"--port", "/dev/null", "--simulate-board"}}) {
    test::ChildRun run(test::record_tool(args), dir.path() / "logs");
    EXPECT_EQ(run.wait(), 2) << args.front();
  }
}

}  // namespace
}  // namespace wellvue
