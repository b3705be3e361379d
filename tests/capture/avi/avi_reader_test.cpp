// The reader against real avimux files, crashed files and malformed input.
#include "avi_fixtures.h"
#include "capture/avi/avi_info.h"
#include "capture/avi/byte_source.h"

#include <gtest/gtest.h>

#include <random>

namespace wellvue::avi {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

AviReadResult read_bytes(const Bytes& b) {
  // A copy of exactly the right size, so that any read past the end trips the sanitizer.
  auto exact = std::make_unique<std::uint8_t[]>(b.size() + 1);
  std::copy(b.begin(), b.end(), exact.get());
  MemorySource src(exact.get(), b.size());
  return read_avi(src);
}

struct WrittenCase {
  int frames;
  bool audio;
};

class ReaderOnAvimuxFiles : public ::testing::TestWithParam<WrittenCase> {};

TEST_P(ReaderOnAvimuxFiles, FinalisedFileCountsAgreeWithFrames) {
  const auto [frames, audio] = GetParam();
  const fs::path dir = test::make_temp_dir("reader");
  const fs::path file = dir / "rec.avi";
  ASSERT_TRUE(test::gst_write_avi(file, frames, audio));

  const AviReadResult r = read_avi_file(file.string());
  ASSERT_TRUE(r.info) << r.error;
  const AviInfo& i = *r.info;
  EXPECT_TRUE(i.finalised);
  EXPECT_EQ(i.streams.size(), audio ? 2u : 1u);
  ASSERT_EQ(i.video_stream, 0);
  const AviStream& v = i.streams[0];
  EXPECT_EQ(v.handler, "MJPG");
  EXPECT_EQ(i.width, 160u);
  EXPECT_EQ(i.height, 120u);
  EXPECT_EQ(i.total_frames, static_cast<std::uint32_t>(frames));
  EXPECT_EQ(v.length, static_cast<std::uint32_t>(frames));
  ASSERT_TRUE(i.dmlh_total_frames);
  EXPECT_EQ(*i.dmlh_total_frames, static_cast<std::uint32_t>(frames));
  EXPECT_EQ(i.video_chunks(), static_cast<std::uint64_t>(frames));
  EXPECT_DOUBLE_EQ(i.video_duration_seconds(), frames / 25.0);
  EXPECT_TRUE(i.has_idx1);
  EXPECT_EQ(i.idx1_entries, i.chunks_in_first_segment);
  EXPECT_FALSE(i.movi_tail_is_partial);
  if (audio) {
    const AviStream& a = i.streams[1];
    EXPECT_EQ(a.type, "auds");
    EXPECT_EQ(a.compression, 1u);  // PCM
    EXPECT_GT(a.chunks, 0u);
    EXPECT_EQ(a.length_on_disk(), a.length);
  }

  // The same file as a crash leaves it: same chunks, nothing declared.
  Bytes b = test::read_bytes(file);
  test::unfinalise(b);
  const AviReadResult c = read_bytes(b);
  ASSERT_TRUE(c.info) << c.error;
  EXPECT_FALSE(c.info->finalised);
  EXPECT_FALSE(c.info->has_idx1);
  EXPECT_EQ(c.info->total_frames, 0u);
  EXPECT_EQ(c.info->streams[0].length, 0u);
  EXPECT_EQ(c.info->video_chunks(), static_cast<std::uint64_t>(frames));
  EXPECT_EQ(c.info->movi_data_end, b.size());
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Files, ReaderOnAvimuxFiles,
                         ::testing::Values(WrittenCase{1, false}, WrittenCase{12, false}, WrittenCase{25, true}));

struct BadInput {
  const char* name;
  Bytes bytes;
  const char* error;
};

Bytes riff(const std::string& form, const Bytes& body) {
  // Sized once and filled by index: gcc 12 warns falsely on inserting into a small vector at -O2.
  Bytes b(8 + form.size() + body.size(), 0);
  const char head[] = "RIFF";
  for (std::size_t i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(head[i]);
  for (std::size_t i = 0; i < form.size(); ++i) b[8 + i] = static_cast<std::uint8_t>(form[i]);
  for (std::size_t i = 0; i < body.size(); ++i) b[8 + form.size() + i] = body[i];
  const std::uint32_t n = static_cast<std::uint32_t>(b.size() - 8);
  for (int i = 0; i < 4; ++i) b[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * i));
  return b;
}

TEST(ReaderRejects, MalformedInputWithItsReason) {
  const Bytes list_hdrl_too_long = {'L', 'I', 'S', 'T', 0xff, 0, 0, 0, 'h', 'd', 'r', 'l'};
  const Bytes hdrl_without_avih = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'h', 'd', 'r', 'l',
                                   'L', 'I', 'S', 'T', 4, 0, 0, 0, 'm', 'o', 'v', 'i'};
  const Bytes short_avih = {'L', 'I', 'S', 'T', 16, 0, 0, 0, 'h', 'd', 'r', 'l',
                            'a', 'v', 'i', 'h', 4,  0, 0, 0, 1,   2,   3,   4};
  const std::vector<BadInput> cases = {
      {"empty", {}, "Fichier trop court pour un AVI"},
      {"riff only", {'R', 'I', 'F', 'F'}, "Fichier trop court pour un AVI"},
      {"wave file", riff("WAVE", {}), "Ce n'est pas un fichier AVI (en-t\xEAte RIFF AVI absent)"},
      {"garbage", Bytes(300, 0x5a), "Ce n'est pas un fichier AVI (en-t\xEAte RIFF AVI absent)"},
      {"header only", riff("AVI ", {}), "En-t\xEAte AVI tronqu\xE9 ou illisible"},
      {"hdrl past end", riff("AVI ", list_hdrl_too_long), "En-t\xEAte AVI tronqu\xE9 ou illisible"},
      {"no avih", riff("AVI ", hdrl_without_avih), "En-t\xEAte principal AVI (avih) absent"},
      {"avih too short", riff("AVI ", short_avih), "En-t\xEAte AVI tronqu\xE9 ou illisible"},
  };
  for (const BadInput& c : cases) {
    const AviReadResult r = read_bytes(c.bytes);
    EXPECT_FALSE(r.info) << c.name;
    EXPECT_EQ(r.error, c.error) << c.name;
  }
}

TEST(ReaderRejects, EveryTruncationOfTheHeader) {
  const fs::path dir = test::make_temp_dir("trunc");
  const fs::path file = dir / "rec.avi";
  ASSERT_TRUE(test::gst_write_avi(file, 3, true));
  const Bytes full = test::read_bytes(file);
  const AviReadResult whole = read_bytes(full);
  ASSERT_TRUE(whole.info);
  // Any cut before the first data chunk leaves no readable recording.
  for (std::size_t n = 0; n < whole.info->movi_list_offset + 12; ++n) {
    const AviReadResult r = read_bytes(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)));
    if (r.info) EXPECT_EQ(r.info->video_chunks(), 0u) << n;
    else EXPECT_FALSE(r.error.empty()) << n;
  }
  fs::remove_all(dir);
}

TEST(ReaderRobustness, MutatedFilesNeverReadOutOfBoundsAndStayConsistent) {
  const fs::path dir = test::make_temp_dir("mutate");
  const fs::path file = dir / "rec.avi";
  ASSERT_TRUE(test::gst_write_avi(file, 6, true));
  Bytes finalised = test::read_bytes(file);
  Bytes crashed = finalised;
  test::unfinalise(crashed);

  std::mt19937 rng(12345);
  int parsed = 0;
  for (const Bytes* base : {&finalised, &crashed}) {
    for (int round = 0; round < 1500; ++round) {
      Bytes b = *base;
      const int edits = 1 + static_cast<int>(rng() % 4);
      for (int e = 0; e < edits; ++e) {
        const std::size_t at = rng() % b.size();
        switch (rng() % 4) {
          case 0:
            b[at] = static_cast<std::uint8_t>(rng());
            break;
          case 1:  // a size field pushed to an extreme
            for (std::size_t k = at; k < std::min(b.size(), at + 4); ++k) b[k] = (rng() & 1) ? 0xff : 0;
            break;
          case 2:
            b.resize(at);
            break;
          default:
            b[at & ~std::size_t{3}] = '0';
            break;
        }
        if (b.empty()) break;
      }
      const AviReadResult r = read_bytes(b);
      if (!r.info) {
        EXPECT_FALSE(r.error.empty());
        continue;
      }
      ++parsed;
      const AviInfo& i = *r.info;
      EXPECT_LE(i.movi_data_end, b.size());
      EXPECT_LE(i.video_chunks() * 8, b.size());
      if (i.finalised) {
        EXPECT_TRUE(i.has_idx1 && i.idx1_complete);
        EXPECT_LE(i.idx1_offset + 8 + 16ull * i.idx1_entries, b.size());
      }
    }
  }
  EXPECT_GT(parsed, 100);  // the mutations must also reach the movi walk
  fs::remove_all(dir);
}

}  // namespace
}  // namespace wellvue::avi
