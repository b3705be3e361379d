// A real recording killed with SIGKILL after it passed 1 GB (avimux had begun an extended
// "AVIX" segment), repaired, then read whole by GStreamer: every frame and the full duration.
#include "avi_fixtures.h"
#include "capture/avi/avi_info.h"
#include "capture/avi/avi_repair.h"

#include <gtest/gtest.h>

namespace wellvue::avi {
namespace {

namespace fs = std::filesystem;

TEST(RepairLongRecording, KilledPastTheFirstSegment) {
  const fs::path dir = test::make_temp_dir("long");
  const fs::path file = dir / "rec.avi";
  // About 1.1 GB: the first segment closes near 1 GiB, the second is left open.
  ASSERT_TRUE(test::gst_record_big_and_kill(file, 1'150'000'000));

  const AviReadResult before = read_avi_file(file.string());
  ASSERT_TRUE(before.info) << before.error;
  ASSERT_EQ(before.info->riff_segments, 2);
  EXPECT_FALSE(before.info->finalised);
  EXPECT_EQ(before.info->total_frames, 0u);
  ASSERT_EQ(before.info->streams.size(), 2u);
  const std::uint64_t frames = before.info->video_chunks();
  const std::uint64_t first = before.info->chunks_in_first_segment;
  ASSERT_GT(frames, 300u);

  const RepairResult r = repair_avi(file.string());
  ASSERT_EQ(r.status, RepairStatus::Repaired) << r.message;
  EXPECT_EQ(r.frames, frames);

  const AviReadResult after = read_avi_file(file.string());
  ASSERT_TRUE(after.info) << after.error;
  const AviInfo& i = *after.info;
  EXPECT_TRUE(i.finalised);
  EXPECT_EQ(i.riff_segments, 2);
  EXPECT_EQ(i.chunks_in_first_segment, first);
  EXPECT_EQ(i.idx1_entries, first);
  ASSERT_TRUE(i.dmlh_total_frames);
  EXPECT_EQ(*i.dmlh_total_frames, frames);
  EXPECT_EQ(i.streams[0].length, frames);
  EXPECT_LT(i.total_frames, frames);  // the first segment's frames only
  for (const AviStream& s : i.streams) {
    EXPECT_EQ(s.length, s.length_on_disk()) << s.type;
    EXPECT_TRUE(s.has_super_index) << s.type;
    EXPECT_EQ(s.super_index_entries, 2u) << s.type;
  }

  const test::Readback g = test::gst_read_back(file, true, "videoconvert");
  EXPECT_TRUE(g.ok);
  EXPECT_EQ(static_cast<std::uint64_t>(g.frames), frames);
  ASSERT_TRUE(g.duration_ns);
  std::uint64_t longest_ns = 0;
  for (const AviStream& s : i.streams)
    longest_ns = std::max(longest_ns, std::uint64_t{s.length} * s.scale * 1'000'000'000 / s.rate);
  EXPECT_EQ(*g.duration_ns, longest_ns);
  EXPECT_GE(longest_ns, frames * 40'000'000);

  EXPECT_EQ(repair_avi(file.string()).status, RepairStatus::AlreadyFinalised);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace wellvue::avi
