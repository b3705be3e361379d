// Repair of crashed recordings whose chunk headers are damaged: every frame behind the damage is
// kept, counted by GStreamer and ffmpeg; a file with nothing to recover is left as it was.
#include "avi_fixtures.h"
#include "capture/avi/avi_info.h"
#include "capture/avi/avi_repair.h"
#include "capture/avi/riff.h"

#include <gtest/gtest.h>

#include <functional>

namespace wellvue::avi {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::IndexEntry;

void set_u32(Bytes& b, std::uint64_t at, std::uint32_t v) { put_u32(b.data() + at, v); }

struct DamageCase {
  const char* name;
  bool audio;
  // Damages the crashed bytes; `video` are the video chunks in file order.
  std::function<void(Bytes&, const std::vector<IndexEntry>& video)> damage;
  int frames_lost;  // frames whose data the damage took with it
};

const std::vector<DamageCase>& damage_cases() {
  static const std::vector<DamageCase> cases = {
      {"first header overwritten", false,
       [](Bytes& b, const auto& v) { std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(v[0].offset), 8, 0xA5); }, 0},
      {"first code and a middle size shrunk", false,
       [](Bytes& b, const auto& v) {
         b[v[0].offset] = 'X';
         set_u32(b, v[12].offset + 4, v[12].size / 3 * 2);
       },
       0},
      {"middle size past the end of the file", false,
       [](Bytes& b, const auto& v) { set_u32(b, v[9].offset + 4, 0x7FFFFFF0u); }, 0},
      {"middle size over the next frames", false,
       [](Bytes& b, const auto& v) {
         set_u32(b, v[9].offset + 4, static_cast<std::uint32_t>(v[13].offset + 3 - v[9].offset - 8));
       },
       0},
      {"two middle codes", false,
       [](Bytes& b, const auto& v) {
         std::copy_n("\xDE\xAD\xBE\xEF", 4, b.begin() + static_cast<std::ptrdiff_t>(v[7].offset));
         std::copy_n("1234", 4, b.begin() + static_cast<std::ptrdiff_t>(v[20].offset));
       },
       0},
      // With two streams a header gone for good cannot be told audio from video: its chunk is
      // stepped over and the frames after it kept.
      {"audio and video, first video header overwritten", true,
       [](Bytes& b, const auto& v) { std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(v[0].offset), 8, 0x5A); }, 1},
  };
  return cases;
}

class RepairDamagedHeader : public ::testing::TestWithParam<std::size_t> {};

TEST_P(RepairDamagedHeader, KeepsEveryFrameBehindTheDamage) {
  const DamageCase& c = damage_cases()[GetParam()];
  SCOPED_TRACE(c.name);
  const fs::path dir = test::make_temp_dir("header" + std::to_string(GetParam()));
  const fs::path file = dir / "rec.avi";
  ASSERT_TRUE(test::gst_write_avi(file, 30, c.audio));
  Bytes crashed = test::read_bytes(file);
  std::vector<IndexEntry> video;
  for (const IndexEntry& e : test::index_entries(crashed))
    if (e.id.rfind("00", 0) == 0) video.push_back(e);
  ASSERT_EQ(video.size(), 30u);
  test::unfinalise(crashed);
  c.damage(crashed, video);
  test::write_bytes(file, crashed);
  const int ffmpeg_before = test::ffmpeg_frames(file);

  const RepairResult r = repair_avi(file.string());
  ASSERT_EQ(r.status, RepairStatus::Repaired) << r.message;
  const std::uint64_t kept = 30u - static_cast<std::uint64_t>(c.frames_lost);
  EXPECT_EQ(r.frames, kept);
  const AviReadResult after = read_avi_file(file.string());
  ASSERT_TRUE(after.info) << after.error;
  EXPECT_TRUE(after.info->finalised);
  EXPECT_EQ(after.info->video_chunks(), kept);
  EXPECT_EQ(after.info->declared_video_frames(), kept);

  // Independent readers decode every frame the repair announces, at least as many as ffmpeg
  // found in the damaged file on its own.
  const test::Readback g = test::gst_read_back(file, c.audio);
  EXPECT_TRUE(g.ok);
  EXPECT_EQ(static_cast<std::uint64_t>(g.frames), kept);
  const int ffmpeg_after = test::ffmpeg_frames(file);
  if (ffmpeg_after >= 0) {
    EXPECT_EQ(ffmpeg_after, static_cast<int>(kept));
    EXPECT_GE(ffmpeg_after, ffmpeg_before);
  }
  EXPECT_EQ(repair_avi(file.string()).status, RepairStatus::AlreadyFinalised);
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Cases, RepairDamagedHeader, ::testing::Range<std::size_t>(0, 6));

}  // namespace
}  // namespace wellvue::avi
