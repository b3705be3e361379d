// A station killed during a recording: the subtitle file and the depth record on disk hold every
// entry and row written before the kill, and the next start-up repairs the video and gives it its
// name.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "depth_check.h"
#include "piped_child.h"
#include "recording/depth_record.h"
#include "recording/unfinished_recordings.h"
#include "recording_rig.h"
#include "util/cp1252.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;

TEST(RecordingCrash, KilledStationKeepsItsEntriesAndIsRecoveredAtStartUp) {
  char templ[] = "/tmp/wellvue-crash-XXXXXX";
  const fs::path dir = mkdtemp(templ);
  test::PipedChild child({WELLVUE_CRASH_CHILD, dir.string()});
  ASSERT_TRUE(child.started());
  int entries = 0;
  std::string recording_file;
  while (entries < 8) {
    const auto l = child.next_line();
    if (!l) break;
    if (l->rfind("recording ", 0) == 0) recording_file = l->substr(10);
    if (l->rfind("entries ", 0) == 0) entries = std::stoi(l->substr(8));
  }
  ASSERT_TRUE(child.kill_now());
  ASSERT_GE(entries, 8) << "the child recording did not get going";
  ASSERT_FALSE(recording_file.empty());

  // Every entry written before the kill, read back by GStreamer's subtitle parser.
  const std::string srt = (dir / "puits.srt").string();
  const auto subs = test::parse_srt(srt);
  EXPECT_GE(static_cast<int>(subs.size()), entries);
  ASSERT_TRUE(fs::exists(recording_file));
  ASSERT_TRUE(fs::exists(recording_file + kRecordingNoteSuffix));
  const std::string srt_before = test::read_bytes(srt);
  // Every row whole, each line's row beside its entry.
  const std::string depth = (dir / "puits.depth.csv").string();
  const std::string depth_before = test::read_bytes(depth);
  ASSERT_FALSE(depth_before.empty());
  EXPECT_EQ(depth_before.back(), '\n');
  EXPECT_EQ(test::depth_record_problem(read_depth_record(depth), subs, /*closed=*/false), "");

  // The next start-up.
  const auto recovered = recover_unfinished_recordings(dir.string());
  ASSERT_EQ(recovered.size(), 1u);
  EXPECT_EQ(recovered[0].outcome, RecoveredRecording::Outcome::Recovered);
  const std::string avi = (dir / "puits.avi").string();
  EXPECT_EQ(recovered[0].path, avi);
  EXPECT_EQ(recovered[0].srt_name, srt);
  EXPECT_FALSE(fs::exists(recording_file));
  EXPECT_FALSE(fs::exists(recording_file + kRecordingNoteSuffix));
  const test::PlayedVideo video = test::play_avi(avi);
  ASSERT_TRUE(video.ok) << video.error;
  EXPECT_EQ(video.frames, recovered[0].frames);
  const std::string message = recovery_message(recovered);
  EXPECT_NE(message.find(utf8_to_cp1252(avi)), std::string::npos);
  EXPECT_EQ(test::read_bytes(srt), srt_before);  // the journaled subtitles stay as written
  EXPECT_EQ(recovered[0].depth_name, depth);
  EXPECT_NE(message.find(utf8_to_cp1252(depth)), std::string::npos);
  EXPECT_EQ(test::read_bytes(depth), depth_before);
  // Nothing left for a later start-up.
  EXPECT_TRUE(recover_unfinished_recordings(dir.string()).empty());

  std::error_code ec;
  fs::remove_all(dir, ec);
}

}  // namespace
}  // namespace wellvue
