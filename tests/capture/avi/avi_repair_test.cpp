// Repair of crashed recordings: real avimux files, killed with SIGKILL or put into the state a
// crash leaves, repaired, then read whole by GStreamer; files that cannot be repaired stay as they are.
#include "capture/avi/avi_repair.h"
#include "avi_fixtures.h"
#include "capture/avi/avi_info.h"
#include "damaged_copies.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace wellvue::avi {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::IndexEntry;

constexpr std::uint64_t kFrameNs = 40'000'000;  // 25 fps

bool is_video(const IndexEntry& e) { return e.id.size() == 4 && e.id[0] == '0' && e.id[1] == '0'; }

std::uint64_t video_entries_before(const std::vector<IndexEntry>& idx, std::uint64_t end) {
  std::uint64_t n = 0;
  for (const IndexEntry& e : idx)
    if (is_video(e) && e.offset + 8 + e.size <= end) ++n;
  return n;
}

// Everything a sound repair must give: counts, index, payload, GStreamer's reading.
void expect_repaired_whole(const fs::path& file, const Bytes& original, std::uint64_t data_end, std::uint64_t frames,
                           bool audio) {
  const AviReadResult r = read_avi_file(file.string());
  ASSERT_TRUE(r.info) << r.error;
  const AviInfo& i = *r.info;
  EXPECT_TRUE(i.finalised);
  EXPECT_EQ(i.total_frames, frames);
  EXPECT_EQ(i.streams[0].length, frames);
  ASSERT_TRUE(i.dmlh_total_frames);
  EXPECT_EQ(*i.dmlh_total_frames, frames);
  EXPECT_EQ(i.video_chunks(), frames);
  EXPECT_EQ(i.idx1_entries, i.chunks_in_first_segment);
  EXPECT_TRUE(i.avih_flags & kAvifHasIndex);
  EXPECT_DOUBLE_EQ(i.video_duration_seconds(), static_cast<double>(frames) / 25.0);
  for (const AviStream& s : i.streams) EXPECT_EQ(s.length, s.length_on_disk()) << s.type;

  // The recorded data itself is not changed.
  const Bytes now = test::read_bytes(file);
  ASSERT_GE(now.size(), data_end);
  const std::size_t from = i.movi_list_offset + 12;
  EXPECT_TRUE(std::equal(now.begin() + static_cast<std::ptrdiff_t>(from),
                         now.begin() + static_cast<std::ptrdiff_t>(data_end),
                         original.begin() + static_cast<std::ptrdiff_t>(from)));

  const test::Readback g = test::gst_read_back(file, audio);
  EXPECT_TRUE(g.ok);
  EXPECT_EQ(static_cast<std::uint64_t>(g.frames), frames);
  // The demuxer announces the longest stream from the repaired headers.
  std::uint64_t longest_ns = 0;
  for (const AviStream& s : i.streams)
    if (s.rate != 0) longest_ns = std::max(longest_ns, std::uint64_t{s.length} * s.scale * 1'000'000'000 / s.rate);
  EXPECT_EQ(longest_ns >= frames * kFrameNs, true);
  ASSERT_TRUE(g.duration_ns);
  EXPECT_EQ(*g.duration_ns, audio ? longest_ns : frames * kFrameNs);

  const RepairResult again = repair_avi(file.string());
  EXPECT_EQ(again.status, RepairStatus::AlreadyFinalised);
  EXPECT_EQ(again.frames, frames);
  EXPECT_EQ(test::read_bytes(file), now);
}

struct CrashCase {
  const char* name;
  bool audio;
  // Damages the crashed bytes further; returns the expected end of the kept data.
  std::function<std::uint64_t(Bytes& crashed, const Bytes& finalised, const std::vector<IndexEntry>& idx)> damage;
};

const std::vector<CrashCase>& crash_cases() {
  static const std::vector<CrashCase> cases = {
      {"every chunk complete", false, [](Bytes& c, const Bytes&, const auto&) { return c.size(); }},
      {"last chunk cut in its data", false,
       [](Bytes& c, const Bytes&, const auto& idx) {
         c.resize(idx.back().offset + 8 + idx.back().size / 2);
         return idx.back().offset;
       }},
      {"last chunk cut in its header", false,
       [](Bytes& c, const Bytes&, const auto& idx) {
         c.resize(idx.back().offset + 5);
         return idx.back().offset;
       }},
      {"pad byte of an odd chunk missing", false,
       [](Bytes& c, const Bytes&, const auto& idx) {
         for (auto e = idx.rbegin(); e != idx.rend(); ++e)
           if (e->size & 1) {
             c.resize(e->offset + 8 + e->size);
             return c.size();
           }
         ADD_FAILURE() << "no chunk of odd size";
         return c.size();
       }},
      {"zeros after the data", false,
       [](Bytes& c, const Bytes&, const auto&) {
         const std::uint64_t end = c.size();
         c.resize(end + 3 * 1024 * 1024, 0);
         return end;
       }},
      {"half-written index", false,
       [](Bytes& c, const Bytes& f, const auto&) {
         const std::uint64_t end = c.size();
         c.insert(c.end(), f.begin() + static_cast<std::ptrdiff_t>(end),
                  f.begin() + static_cast<std::ptrdiff_t>(end + (f.size() - end) / 2));
         return end;
       }},
      {"audio and video, last chunk cut", true,
       [](Bytes& c, const Bytes&, const auto& idx) {
         c.resize(idx.back().offset + 8 + idx.back().size / 3);
         return idx.back().offset;
       }},
  };
  return cases;
}

class RepairCrashedFile : public ::testing::TestWithParam<std::size_t> {};

TEST_P(RepairCrashedFile, GivesAFileGStreamerReadsWhole) {
  const CrashCase& c = crash_cases()[GetParam()];
  SCOPED_TRACE(c.name);
  const fs::path dir = test::make_temp_dir("crash" + std::to_string(GetParam()));
  const fs::path file = dir / "rec.avi";
  ASSERT_TRUE(test::gst_write_avi(file, 30, c.audio));
  const Bytes finalised = test::read_bytes(file);
  const std::vector<IndexEntry> idx = test::index_entries(finalised);
  ASSERT_FALSE(idx.empty());
  Bytes crashed = finalised;
  test::unfinalise(crashed);
  const std::uint64_t data_end = c.damage(crashed, finalised, idx);
  test::write_bytes(file, crashed);
  const std::uint64_t frames = video_entries_before(idx, data_end);

  const RepairResult r = repair_avi(file.string());
  ASSERT_EQ(r.status, RepairStatus::Repaired) << r.message;
  EXPECT_EQ(r.frames, frames);
  EXPECT_EQ(r.dropped_bytes, crashed.size() - data_end);
  EXPECT_NE(r.message.find(std::to_string(frames) + " images"), std::string::npos) << r.message;
  expect_repaired_whole(file, finalised, data_end, frames, c.audio);
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Cases, RepairCrashedFile, ::testing::Range<std::size_t>(0, 7));

class RepairKilledRecording : public ::testing::TestWithParam<bool> {};

TEST_P(RepairKilledRecording, SigkillMidRecording) {
  const bool audio = GetParam();
  const fs::path dir = test::make_temp_dir(audio ? "killav" : "killv");
  const fs::path file = dir / "rec.avi";
  ASSERT_TRUE(test::gst_record_and_kill(file, 250'000, audio));

  const AviReadResult before = read_avi_file(file.string());
  ASSERT_TRUE(before.info) << before.error;
  EXPECT_FALSE(before.info->finalised);
  EXPECT_FALSE(before.info->has_idx1);
  EXPECT_EQ(before.info->total_frames, 0u);
  const std::uint64_t frames = before.info->video_chunks();
  ASSERT_GT(frames, 10u);
  const Bytes original = test::read_bytes(file);

  const RepairResult r = repair_avi(file.string());
  ASSERT_EQ(r.status, RepairStatus::Repaired) << r.message;
  EXPECT_EQ(r.frames, frames);
  EXPECT_EQ(r.dropped_bytes, original.size() - before.info->movi_data_end);
  expect_repaired_whole(file, original, before.info->movi_data_end, frames, audio);
  if (audio) {
    const AviInfo after = *read_avi_file(file.string()).info;
    ASSERT_EQ(after.streams.size(), 2u);
    EXPECT_EQ(after.streams[1].sample_size, 2u);
    EXPECT_EQ(after.streams[1].length, after.streams[1].bytes / 2);
  }
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Streams, RepairKilledRecording, ::testing::Values(false, true));

TEST(RepairInterrupted, IsTakenUpAgain) {
  const fs::path dir = test::make_temp_dir("again");
  const fs::path file = dir / "rec.avi";
  ASSERT_TRUE(test::gst_write_avi(file, 20, false));
  Bytes finalised = test::read_bytes(file);
  Bytes crashed = finalised;
  const std::uint64_t end = test::unfinalise(crashed);
  test::write_bytes(file, crashed);
  ASSERT_EQ(repair_avi(file.string()).status, RepairStatus::Repaired);

  // As if the power went while the headers were written: index on disk, counts still zero.
  Bytes half = test::read_bytes(file);
  Bytes reset = crashed;
  reset.insert(reset.end(), half.begin() + static_cast<std::ptrdiff_t>(end), half.end());
  test::write_bytes(file, reset);
  const RepairResult r = repair_avi(file.string());
  ASSERT_EQ(r.status, RepairStatus::Repaired) << r.message;
  EXPECT_EQ(r.frames, 20u);
  expect_repaired_whole(file, finalised, end, 20, false);
  fs::remove_all(dir);
}

struct UntouchedCase {
  const char* name;
  RepairStatus status;
  std::function<Bytes(const Bytes& finalised, const Bytes& crashed)> make;
};

TEST(RepairLeavesUntouched, FilesItMustNotOrCannotRepair) {
  const fs::path dir = test::make_temp_dir("untouched");
  const fs::path source = dir / "source.avi";
  ASSERT_TRUE(test::gst_write_avi(source, 10, false));
  const Bytes finalised = test::read_bytes(source);
  Bytes crashed = finalised;
  test::unfinalise(crashed);
  const fs::path empty_eos = dir / "eos.avi";
  ASSERT_TRUE(test::gst_write_avi(empty_eos, 0, false));
  const Bytes no_frame = test::read_bytes(empty_eos);
  std::mt19937 rng(7);
  auto random_bytes = [&](std::size_t n) {
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    return b;
  };

  const std::vector<UntouchedCase> cases = {
      {"zero length", RepairStatus::Failed, [](const Bytes&, const Bytes&) { return Bytes{}; }},
      {"garbage", RepairStatus::Failed, [&](const Bytes&, const Bytes&) { return random_bytes(5000); }},
      {"truncated header", RepairStatus::Failed,
       [](const Bytes& f, const Bytes&) { return Bytes(f.begin(), f.begin() + 200); }},
      {"finalised", RepairStatus::AlreadyFinalised, [](const Bytes& f, const Bytes&) { return f; }},
      {"stopped before the first frame", RepairStatus::Empty, [&](const Bytes&, const Bytes&) { return no_frame; }},
      {"killed before the first frame", RepairStatus::Empty,
       [](const Bytes&, const Bytes& c) {
         const Bytes movi = {'m', 'o', 'v', 'i'};
         const auto at = std::search(c.begin(), c.end(), movi.begin(), movi.end());
         return Bytes(c.begin(), at + 4);
       }},
      {"unreadable data in the middle", RepairStatus::Failed,
       [&](const Bytes&, const Bytes& c) {
         Bytes b = c;
         const Bytes junk = random_bytes(3 * 1024 * 1024);
         b.insert(b.end(), junk.begin(), junk.end());
         return b;
       }},
  };
  for (const UntouchedCase& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = dir / "rec.avi";
    const Bytes before = c.make(finalised, crashed);
    test::write_bytes(file, before);
    const RepairResult r = repair_avi(file.string());
    EXPECT_EQ(r.status, c.status) << r.message;
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(r.message.find('\xC3'), std::string::npos) << "message must be CP1252, not UTF-8";
    EXPECT_TRUE(fs::exists(file));
    EXPECT_TRUE(test::read_bytes(file) == before);
  }
  fs::remove_all(dir);
}

TEST(RepairRobustness, DamagedCrashFilesAreRepairedSoundlyOrLeftAsTheyWere) {
  const fs::path dir = test::make_temp_dir("fuzzrepair");
  const fs::path file = dir / "rec.avi";
  ASSERT_TRUE(test::gst_write_avi(file, 8, true));
  Bytes crashed = test::read_bytes(file);
  test::unfinalise(crashed);
  const int repaired = test::repair_damaged_copies(file, crashed, 99, 3, [](const AviInfo& info, int round) {
    EXPECT_EQ(info.idx1_entries, info.chunks_in_first_segment) << round;
  });
  EXPECT_GT(repaired, 30);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace wellvue::avi
