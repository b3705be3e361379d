// Repair of crashed recordings that had grown into extended (OpenDML "AVIX") segments, in the
// layout avimux leaves when killed, built from real avimux chunks; read back whole by GStreamer.
#include "avi_fixtures.h"
#include "capture/avi/avi_info.h"
#include "capture/avi/avi_repair.h"
#include "damaged_copies.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace wellvue::avi {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::Segmented;

constexpr std::uint64_t kFrameNs = 40'000'000;  // 25 fps
constexpr int kFrames = 30;

std::uint32_t u32(const Bytes& b, std::size_t o) {
  return static_cast<std::uint32_t>(b[o]) | (static_cast<std::uint32_t>(b[o + 1]) << 8) |
         (static_cast<std::uint32_t>(b[o + 2]) << 16) | (static_cast<std::uint32_t>(b[o + 3]) << 24);
}

std::size_t find(const Bytes& b, const std::string& tag, std::size_t from = 0) {
  const auto at = std::search(b.begin() + static_cast<std::ptrdiff_t>(from), b.end(), tag.begin(), tag.end());
  return at == b.end() ? std::string::npos : static_cast<std::size_t>(at - b.begin());
}

bool is_video(const test::IndexEntry& e) { return e.id.compare(0, 2, "00") == 0; }

// Follows a stream's super index to its standard indexes: chunks listed and total duration.
struct Indexed {
  std::uint64_t chunks = 0;
  std::uint64_t duration = 0;
  bool readable = true;
};

Indexed follow_super_index(const Bytes& b, int stream) {
  Indexed r;
  std::size_t at = find(b, "indx");
  for (int k = 0; k < stream && at != std::string::npos; ++k) at = find(b, "indx", at + 4);
  if (at == std::string::npos || at > find(b, "movi")) return {0, 0, false};
  const std::uint32_t n = u32(b, at + 12);
  for (std::uint32_t k = 0; k < n; ++k) {
    const std::size_t e = at + 32 + 16 * k;
    const std::uint64_t ix = u32(b, e) | (static_cast<std::uint64_t>(u32(b, e + 4)) << 32);
    if (ix + 32 > b.size() || b[ix] != 'i' || b[ix + 1] != 'x' || u32(b, e + 8) != 8 + u32(b, ix + 4)) {
      r.readable = false;
      continue;
    }
    r.chunks += u32(b, ix + 12);
    r.duration += u32(b, e + 12);
  }
  return r;
}

// Everything a sound repair must give: counts, indexes, untouched data, GStreamer's reading.
void expect_repaired_whole(const fs::path& file, const Segmented& crashed, std::uint64_t data_end, bool audio,
                           int segments) {
  const AviReadResult r = read_avi_file(file.string());
  ASSERT_TRUE(r.info) << r.error;
  const AviInfo& i = *r.info;
  std::uint64_t frames = 0;
  std::uint64_t frames_in_first = 0;
  for (const test::IndexEntry& c : crashed.chunks)
    if (is_video(c) && c.offset + 8 + c.size <= data_end) {
      ++frames;
      if (c.offset < crashed.idx1_offset) ++frames_in_first;
    }
  EXPECT_TRUE(i.finalised);
  EXPECT_EQ(i.riff_segments, segments);
  EXPECT_EQ(i.video_chunks(), frames);
  EXPECT_EQ(i.streams[0].length, frames);
  ASSERT_TRUE(i.dmlh_total_frames);
  EXPECT_EQ(*i.dmlh_total_frames, frames);
  EXPECT_EQ(i.total_frames, frames_in_first);  // avih counts the first segment only
  EXPECT_EQ(i.idx1_entries, i.chunks_in_first_segment);
  EXPECT_DOUBLE_EQ(i.video_duration_seconds(), static_cast<double>(frames) / 25.0);

  const Bytes now = test::read_bytes(file);
  for (std::size_t k = 0; k < i.streams.size(); ++k) {
    const AviStream& s = i.streams[k];
    EXPECT_EQ(s.length, s.length_on_disk()) << s.type;
    const Indexed x = follow_super_index(now, static_cast<int>(k));
    EXPECT_TRUE(x.readable) << s.type;
    EXPECT_EQ(x.chunks, s.chunks) << s.type;
    EXPECT_EQ(x.duration, s.length) << s.type;
  }

  // The recorded chunks are where they were, byte for byte.
  const Bytes before = crashed.bytes;
  ASSERT_GE(now.size(), data_end);
  for (const test::IndexEntry& c : crashed.chunks) {
    if (c.offset + 8 + c.size > data_end) continue;
    const auto a = before.begin() + static_cast<std::ptrdiff_t>(c.offset);
    ASSERT_TRUE(std::equal(a, a + 8 + c.size, now.begin() + static_cast<std::ptrdiff_t>(c.offset))) << c.offset;
  }

  const test::Readback g = test::gst_read_back(file, audio);
  EXPECT_TRUE(g.ok);
  EXPECT_EQ(static_cast<std::uint64_t>(g.frames), frames);
  std::uint64_t longest_ns = 0;
  for (const AviStream& s : i.streams)
    if (s.rate != 0) longest_ns = std::max(longest_ns, std::uint64_t{s.length} * s.scale * 1'000'000'000 / s.rate);
  ASSERT_TRUE(g.duration_ns);
  EXPECT_EQ(*g.duration_ns, audio ? longest_ns : frames * kFrameNs);

  const RepairResult again = repair_avi(file.string());
  EXPECT_EQ(again.status, RepairStatus::AlreadyFinalised) << again.message;
  EXPECT_EQ(again.frames, frames);
  EXPECT_EQ(test::read_bytes(file), now);
}

Bytes write_source(const fs::path& dir, bool audio) {
  const fs::path source = dir / "source.avi";
  if (!test::gst_write_avi(source, kFrames, audio)) return {};
  return test::read_bytes(source);
}

struct ExtendedCase {
  const char* name;
  bool audio;
  std::vector<std::size_t> split;  // chunks of each closed segment
  int segments_after;
  // Damages the crash file further; returns where the kept data ends.
  std::function<std::uint64_t(Segmented&)> damage;
};

std::uint64_t as_is(Segmented& s) { return s.bytes.size(); }

const std::vector<ExtendedCase>& extended_cases() {
  static const std::vector<ExtendedCase> cases = {
      {"killed in the second segment", false, {12}, 2, as_is},
      {"killed in the third segment, with audio", true, {20, 20}, 3, as_is},
      {"last chunk cut short, with audio",
       true,
       {24},
       2,
       [](Segmented& s) {
         const test::IndexEntry last = s.chunks.back();
         s.bytes.resize(last.offset + 8 + last.size / 2);
         return last.offset;
       }},
      {"last chunk cut in its header",
       false,
       {10, 10},
       3,
       [](Segmented& s) {
         s.bytes.resize(s.chunks.back().offset + 3);
         return s.chunks.back().offset;
       }},
      {"killed as a segment began", false, {15, 15}, 2, [](Segmented& s) { return s.data_ends[1]; }},
      {"zeros after the data",
       false,
       {12},
       2,
       [](Segmented& s) {
         const std::uint64_t end = s.bytes.size();
         s.bytes.resize(end + 3 * 1024 * 1024, 0);
         return end;
       }},
      {"standard index of a closed segment short of one entry",
       false,
       {10, 10},
       3,
       [](Segmented& s) {
         const std::uint64_t ix = s.index_offsets[1];
         s.bytes[ix + 12] = static_cast<std::uint8_t>(s.bytes[ix + 12] - 1);
         return s.bytes.size();
       }},
      {"idx1 entry with a wrong size, with audio",
       true,
       {20},
       2,
       [](Segmented& s) {
         s.bytes[s.idx1_offset + 8 + 16 * 3 + 12] ^= 0x40;
         return s.bytes.size();
       }},
  };
  return cases;
}

class RepairExtended : public ::testing::TestWithParam<std::size_t> {};

TEST_P(RepairExtended, GivesAFileGStreamerReadsWhole) {
  const ExtendedCase& c = extended_cases()[GetParam()];
  SCOPED_TRACE(c.name);
  const fs::path dir = test::make_temp_dir("ext" + std::to_string(GetParam()));
  const Bytes finalised = write_source(dir, c.audio);
  ASSERT_FALSE(finalised.empty());
  Segmented crashed = test::make_segmented(finalised, c.split);
  const std::uint64_t data_end = c.damage(crashed);
  const fs::path file = dir / "rec.avi";
  test::write_bytes(file, crashed.bytes);

  const AviReadResult before = read_avi_file(file.string());
  ASSERT_TRUE(before.info) << before.error;
  EXPECT_FALSE(before.info->finalised);

  const RepairResult r = repair_avi(file.string());
  ASSERT_EQ(r.status, RepairStatus::Repaired) << r.message;
  EXPECT_EQ(r.dropped_bytes, crashed.bytes.size() - data_end);
  EXPECT_NE(r.message.find(std::to_string(r.frames) + " images"), std::string::npos) << r.message;
  expect_repaired_whole(file, crashed, data_end, c.audio, c.segments_after);
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Cases, RepairExtended, ::testing::Range<std::size_t>(0, 8));

TEST(RepairExtendedInterrupted, IsTakenUpAgain) {
  const fs::path dir = test::make_temp_dir("extagain");
  const Bytes finalised = write_source(dir, true);
  ASSERT_FALSE(finalised.empty());
  const Segmented crashed = test::make_segmented(finalised, {20, 20});
  const fs::path file = dir / "rec.avi";
  test::write_bytes(file, crashed.bytes);
  ASSERT_EQ(repair_avi(file.string()).status, RepairStatus::Repaired);

  // As if the power went while the headers were written: new indexes on disk, the header
  // and the segment sizes still as the crash left them.
  Bytes half = test::read_bytes(file);
  const std::size_t header_end = find(half, "movi") + 4;
  std::copy(crashed.bytes.begin(), crashed.bytes.begin() + static_cast<std::ptrdiff_t>(header_end), half.begin());
  for (std::uint64_t seg : crashed.segment_offsets)
    std::copy(crashed.bytes.begin() + static_cast<std::ptrdiff_t>(seg),
              crashed.bytes.begin() + static_cast<std::ptrdiff_t>(seg + 24),
              half.begin() + static_cast<std::ptrdiff_t>(seg));
  test::write_bytes(file, half);
  const RepairResult r = repair_avi(file.string());
  ASSERT_EQ(r.status, RepairStatus::Repaired) << r.message;
  expect_repaired_whole(file, crashed, crashed.bytes.size(), true, 3);
  fs::remove_all(dir);
}

struct UntouchedCase {
  const char* name;
  std::function<void(Segmented&)> make;
};

TEST(RepairExtendedLeavesUntouched, FilesItCannotRepairSoundly) {
  const fs::path dir = test::make_temp_dir("extuntouched");
  const Bytes finalised = write_source(dir, true);
  ASSERT_FALSE(finalised.empty());
  std::mt19937 rng(3);
  const std::vector<UntouchedCase> cases = {
      {"no room for the super index",
       [](Segmented& s) {
         for (std::size_t at = find(s.bytes, "JUNK"); at < find(s.bytes, "movi"); at = find(s.bytes, "JUNK", at + 4))
           s.bytes[at + 3] = 'Q';
       }},
      {"no idx1 in front of the extended segments",
       [](Segmented& s) { std::copy_n("JUNK", 4, s.bytes.begin() + static_cast<std::ptrdiff_t>(s.idx1_offset)); }},
      {"idx1 shorter than the first segment",
       [](Segmented& s) {
         // One entry less, the next segment moved up behind it: idx1 cannot be rewritten in place.
         const std::size_t at = s.idx1_offset;
         const std::uint32_t size = u32(s.bytes, at + 4) - 16;
         for (int k = 0; k < 4; ++k)
           s.bytes[at + 4 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(size >> (8 * k));
         s.bytes.erase(s.bytes.begin() + static_cast<std::ptrdiff_t>(at + 8 + size),
                       s.bytes.begin() + static_cast<std::ptrdiff_t>(at + 8 + size + 16));
       }},
      {"unreadable data after the last segment's chunks",
       [&](Segmented& s) {
         for (int k = 0; k < 3 * 1024 * 1024; ++k) s.bytes.push_back(static_cast<std::uint8_t>(rng() | 1));
       }},
  };
  for (const UntouchedCase& c : cases) {
    SCOPED_TRACE(c.name);
    Segmented s = test::make_segmented(finalised, {20, 20});
    c.make(s);
    const fs::path file = dir / "rec.avi";
    test::write_bytes(file, s.bytes);
    const RepairResult r = repair_avi(file.string());
    EXPECT_EQ(r.status, RepairStatus::Failed) << r.message;
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(r.message.find('\xC3'), std::string::npos) << "message must be CP1252, not UTF-8";
    EXPECT_TRUE(test::read_bytes(file) == s.bytes);
  }
  fs::remove_all(dir);
}

TEST(RepairExtendedRobustness, DamagedFilesAreRepairedSoundlyOrLeftAsTheyWere) {
  const fs::path dir = test::make_temp_dir("extfuzz");
  const Bytes finalised = write_source(dir, true);
  ASSERT_FALSE(finalised.empty());
  const Segmented crashed = test::make_segmented(finalised, {16, 16});
  const fs::path file = dir / "rec.avi";
  const int repaired = test::repair_damaged_copies(file, crashed.bytes, 2024, 4, [&](const AviInfo&, int round) {
    EXPECT_EQ(repair_avi(file.string()).status, RepairStatus::AlreadyFinalised) << round;
  });
  EXPECT_GT(repaired, 30);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace wellvue::avi
