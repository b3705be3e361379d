// The report's pieces that a real recording does not exercise: the hash against published
// vectors and sha256sum, the depths of subtitles written with a decimal comma, the thinning of an
// hour's profile, the review window's photo names both ways.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <random>

#include "../util/temp_dir.h"
#include "french_locale.h"
#include "report/profile_thinning.h"
#include "report/review_photo_names.h"
#include "report/srt_depths.h"
#include "util/sha256.h"

namespace wellvue {
namespace {

std::string command_output(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    ::pclose(p);
  }
  return out;
}

TEST(ReviewPhotoNames, TheReportReadsBackWhatTheWindowWritesAndNothingElse) {
  // Written, then read back: the depth (or the time without one) whatever the number.
  struct Written {
    std::optional<double> depth;
    std::int64_t ms;
    int number;
    const char* name;
  };
  for (const Written& w : {Written{12.34, 5000, 1, "P12 revue 12.34m.jpg"}, Written{0.5, 0, 3, "P12 revue 0.50m (3).jpg"},
                           Written{std::nullopt, 5040, 2, "P12 revue 5040ms (2).jpg"}}) {
    const std::string path = review_photo_path("/videos/P12", w.depth, w.ms, w.number);
    EXPECT_EQ(path, std::string("/videos/") + w.name);
    const auto read = read_review_photo_name(w.name, "P12");
    ASSERT_TRUE(read) << w.name;
    if (w.depth) {
      ASSERT_TRUE(read->depth_m) << w.name;
      EXPECT_DOUBLE_EQ(*read->depth_m, *w.depth) << w.name;
      EXPECT_FALSE(read->video_ms) << w.name;
    } else {
      EXPECT_FALSE(read->depth_m) << w.name;
      EXPECT_EQ(read->video_ms, w.ms) << w.name;
    }
  }
  // A French desktop's station writes a comma.
  ASSERT_TRUE(read_review_photo_name("P12 revue 3,05m.jpg", "P12"));
  EXPECT_DOUBLE_EQ(*read_review_photo_name("P12 revue 3,05m.jpg", "P12")->depth_m, 3.05);
  for (const char* other : {"P12 3.05m.jpg", "P12 revue 3.05m.png", "P12b revue 3.05m.jpg", "P1 revue 3.05m.jpg",
                            "P12 revue .jpg", "P12 revue 3.05m (x).jpg", "P12 revue 3.05.jpg", "P12 revue 12ams.jpg",
                            "P12 revue 3.05m Fissure.jpg"})
    EXPECT_FALSE(read_review_photo_name(other, "P12")) << other;
}

TEST(Sha256, KnownVectorsWholeAndInPieces) {
  const struct {
    std::string bytes;
    const char* digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sha256_hex(c.bytes), c.digest) << c.bytes.size() << " bytes";
    // Fed in uneven pieces, as a file read in blocks is.
    Sha256 s;
    for (std::size_t at = 0, n = 1; at < c.bytes.size(); at += n, n = n * 3 % 97 + 1)
      s.update(c.bytes.data() + at, std::min(n, c.bytes.size() - at));
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (auto b : s.finish()) hex += std::string{kDigits[b >> 4], kDigits[b & 15]};
    EXPECT_EQ(hex, c.digest) << c.bytes.size() << " bytes in pieces";
  }
}

TEST(Sha256, FileOverSeveralBlocksMatchesSha256sum) {
  test::TempDir dir;
  const auto path = dir.path() / "video.avi";
  {
    std::ofstream out(path, std::ios::binary);
    std::mt19937 rng(7);
    for (int i = 0; i < 3 * 1024 * 1024 + 17; ++i) out.put(static_cast<char>(rng()));
  }
  const std::string expected = command_output("sha256sum '" + path.string() + "'").substr(0, 64);
  ASSERT_EQ(expected.size(), 64u);
  EXPECT_EQ(file_sha256_hex(path).value_or(""), expected);
  EXPECT_FALSE(file_sha256_hex(dir.path() / "missing.avi"));
}

// On a French desktop too, where the C library reads "12.25" as 12.
TEST(SrtDepths, ReadsEitherDecimalMarkAndSkipsTheClosingEntry) {
  const test::FrenchLocale french;
  ASSERT_TRUE(french.active()) << "fr_FR.UTF-8 is not installed: scripts/install-deps.sh generates it";
  test::TempDir dir;
  const auto path = dir.path() / "P1.srt";
  {
    std::ofstream out(path, std::ios::binary);
    // As a station with a French decimal comma writes it (CP1252: "é" is one byte).
    out << "1\r\n00:00:00,000 --> 00:00:00,100\r\nPuits \xE9t\xE9                          0,50m      ---\r\n\r\n"
        << "2\r\n00:00:00,100 --> 00:00:01,200\r\nPuits \xE9t\xE9                         12,25m     3,10m\r\n\r\n"
        << "3\r\n00:00:01,200 --> 00:00:02,200\r\n00:00:00,100 ... 00:00:01,200\r\n\r\n";
  }
  const SrtDepths d = read_srt_depths(path.string());
  EXPECT_EQ(d.bore, "Puits \xC3\xA9t\xC3\xA9");
  ASSERT_EQ(d.points.size(), 2u);
  EXPECT_EQ(d.points[0].video_ms, 0);
  EXPECT_DOUBLE_EQ(d.points[0].depth_m, 0.5);
  EXPECT_EQ(d.points[1].video_ms, 100);
  EXPECT_DOUBLE_EQ(d.points[1].depth_m, 12.25);
  EXPECT_EQ(d.last_end_ms, 2200);
}

TEST(ProfileThinning, AnHourKeepsItsExtremesEndsAndOrder) {
  // An hour of board lines every 100 ms: a random descent with one sharp spike.
  std::vector<ProfilePoint> points;
  std::mt19937 rng(3);
  double depth = 0;
  for (std::int64_t ms = 0; ms < 3600000; ms += 100) {
    depth = std::max(0.0, depth + (static_cast<int>(rng() % 5) - 1) * 0.01);
    points.push_back({ms, depth});
  }
  points[12345].depth_m = 500;
  for (std::size_t slices : {1u, 10u, 1200u}) {
    const auto thin = thin_profile(points, slices);
    EXPECT_LE(thin.size(), 3 * slices + 1);
    EXPECT_EQ(thin.front().video_ms, points.front().video_ms);
    EXPECT_EQ(thin.back().video_ms, points.back().video_ms);
    double deepest = 0;
    for (std::size_t i = 0; i < thin.size(); ++i) {
      deepest = std::max(deepest, thin[i].depth_m);
      if (i > 0) {
        EXPECT_LT(thin[i - 1].video_ms, thin[i].video_ms);
      }
    }
    EXPECT_EQ(deepest, 500) << slices << " slices";
  }
  EXPECT_EQ(thin_profile(std::vector<ProfilePoint>(points.begin(), points.begin() + 30), 10).size(), 30u);
}

}  // namespace
}  // namespace wellvue
