// Repair on a disk with no room left (a recording that filled it): the file gets its sizes and
// counts without an index and plays; the index follows once there is room.
#include "avi_fixtures.h"
#include "capture/avi/avi_info.h"
#include "capture/avi/avi_repair.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace wellvue::avi {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

// Fills the file system of `folder` to its last byte with the file `path`.
void fill_up(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  std::vector<char> block(65536, 'F');
  for (std::size_t n = block.size(); n > 0; n /= 2)
    while (::write(fd, block.data(), n) == static_cast<ssize_t>(n)) {
    }
  ::close(fd);
}

TEST(RepairOnAFullDisk, WritesTheSizesWithoutIndexThenTheIndexWhenThereIsRoom) {
  const test::SmallDisk disk(4);
  if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  const fs::path& dir = disk.path();
  const fs::path file = dir / "rec.avi";
  ASSERT_TRUE(test::gst_write_avi(file, 300, false));
  Bytes crashed = test::read_bytes(file);
  test::unfinalise(crashed);  // every chunk whole; the index needs more than a page of new room
  test::write_bytes(file, crashed);
  fill_up(dir / "filler");

  const RepairResult r = repair_avi(file.string());
  ASSERT_EQ(r.status, RepairStatus::Repaired) << r.message;
  EXPECT_EQ(r.frames, 300u);
  EXPECT_NE(r.message.find("sans index"), std::string::npos) << r.message;
  const AviReadResult without = read_avi_file(file.string());
  ASSERT_TRUE(without.info) << without.error;
  EXPECT_FALSE(without.info->has_idx1);
  EXPECT_EQ(without.info->total_frames, 300u);
  EXPECT_EQ(without.info->declared_video_frames(), 300u);
  EXPECT_EQ(8u + without.info->riff_size, fs::file_size(file));
  EXPECT_EQ(without.info->movi_list_offset + 8 + without.info->movi_list_size, fs::file_size(file));
  // Players find the frames by walking the chunks.
  const test::Readback g = test::gst_read_back(file, false);
  EXPECT_TRUE(g.ok);
  EXPECT_EQ(g.frames, 300);
  const int ff = test::ffmpeg_frames(file);
  if (ff >= 0) {
    EXPECT_EQ(ff, 300);
  }

  fs::remove(dir / "filler");
  const RepairResult again = repair_avi(file.string());
  ASSERT_EQ(again.status, RepairStatus::Repaired) << again.message;
  EXPECT_EQ(again.message.find("sans index"), std::string::npos) << again.message;
  const AviReadResult with = read_avi_file(file.string());
  ASSERT_TRUE(with.info);
  EXPECT_TRUE(with.info->finalised);
  EXPECT_EQ(with.info->idx1_entries, 300u);
  EXPECT_EQ(test::gst_read_back(file, false).frames, 300);
}

}  // namespace
}  // namespace wellvue::avi
