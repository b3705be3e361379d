// The station's recording format as the workflow, crash recovery and the tools use it, on real
// files: one the muxer closed, one killed mid-recording, one with nothing in it, one without video.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "avi_fixtures.h"
#include "capture/recording_format.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;

TEST(RecordingFormat, ReadsRepairsAndSetsAsideWhatARecordingLeaves) {
  const RecordingFormat& f = default_recording_format();
  EXPECT_EQ(f.muxer, "avimux");
  EXPECT_EQ(f.extension, ".avi");
  const fs::path dir = avi::test::make_temp_dir("recording_format");

  // Closed by the muxer: 50 frames at 25 fps, nothing to repair.
  const fs::path closed = dir / "closed.avi";
  ASSERT_TRUE(avi::test::gst_write_avi(closed, 50, false));
  const auto whole = f.read_length(closed.string());
  ASSERT_TRUE(whole.has_value());
  EXPECT_TRUE(whole->finalised);
  EXPECT_EQ(whole->frames_on_disk, 50u);
  EXPECT_NEAR(whole->on_disk_seconds, 2.0, 1e-6);
  EXPECT_NEAR(whole->header_seconds, 2.0, 1e-6);
  EXPECT_EQ(f.repair(closed.string()).status, RecoveryStatus::AlreadyFinalised);

  // Killed: the frames are on disk but not in the headers until the repair.
  const fs::path killed = dir / "killed.avi";
  ASSERT_TRUE(avi::test::gst_record_and_kill(killed, 200000, false));
  const auto cut = f.read_length(killed.string());
  ASSERT_TRUE(cut.has_value());
  EXPECT_FALSE(cut->finalised);
  EXPECT_GT(cut->frames_on_disk, 0u);
  const Recovery r = f.repair(killed.string());
  EXPECT_EQ(r.status, RecoveryStatus::Repaired) << r.message;
  EXPECT_EQ(r.frames, cut->frames_on_disk);
  const auto repaired = f.read_length(killed.string());
  ASSERT_TRUE(repaired.has_value());
  EXPECT_TRUE(repaired->finalised);
  EXPECT_NEAR(repaired->header_seconds, r.duration_seconds, 1e-6);

  // Nothing but the headers: said empty, then moved aside, never removed.
  const fs::path empty = dir / "empty.avi";
  avi::test::Bytes head = avi::test::read_bytes(closed);
  const std::string movi = "movi";
  const auto at = std::search(head.begin(), head.end(), movi.begin(), movi.end());
  ASSERT_NE(at, head.end());
  head.erase(at + 4, head.end());  // cut where the first frame would start
  avi::test::write_bytes(empty, head);
  EXPECT_EQ(f.repair(empty.string()).status, RecoveryStatus::Empty);
  std::error_code ec;
  const std::string aside = f.set_aside(empty.string(), ec);
  ASSERT_FALSE(aside.empty()) << ec.message();
  EXPECT_TRUE(fs::exists(aside));
  EXPECT_FALSE(fs::exists(empty));

  // Without a picture: still one of the format's files, with nothing on disk to time.
  const fs::path sound = dir / "sound.avi";
  ASSERT_EQ(std::system(
                ("gst-launch-1.0 -q audiotestsrc num-buffers=10 ! avimux ! filesink location='" + sound.string() + "'")
                    .c_str()),
            0);
  const auto no_picture = f.read_length(sound.string());
  ASSERT_TRUE(no_picture.has_value());
  EXPECT_EQ(no_picture->frames_on_disk, 0u);
  EXPECT_LT(no_picture->on_disk_seconds, 0);

  // Not a recording at all.
  avi::test::write_bytes(dir / "text.avi", avi::test::Bytes{'n', 'o', 'n'});
  EXPECT_FALSE(f.read_length((dir / "text.avi").string()).has_value());
  fs::remove_all(dir, ec);
}

}  // namespace
}  // namespace wellvue
