// The station's SRT files read as cues and fitted to the video they go into.
#include <gtest/gtest.h>

#include "export/subtitle_cues.h"

namespace wellvue::exporting {
namespace {

// A track as the station writes it: CP1252, CR LF, a title entry (the no-break space padding
// lines), depth entries, two lines in one poll, a line with an unreadable time, and the two
// closing entries, the second past the video's end.
const std::string kTrack =
    "1\r\n00:00:00,000 --> 00:00:00,400\r\nP\xE9 12  08/12/2026 21h50:03\r\n\xA0      \r\n\xA0      \r\n\r\n"
    "2\r\n00:00:00,400 --> 00:00:01,250\r\nP\xE9 12      4,04m      ---\r\n\r\n"
    "3\r\n00:00:01,250 --> 00:00:01,250\r\nP\xE9 12      4,05m      ---\r\n\r\n"
    "4\r\n00:00:01,2x0 --> 00:00:02,000\r\nlost\r\n\r\n"
    "5\r\n00:00:01,250 --> 00:00:04,962\r\nP\xE9 12      4,10m    w_0,50m\r\n\r\n"
    "6\r\n00:00:04,962 --> 00:00:05,000\r\nP\xE9 12      4,10m    w_0,50m\r\n\r\n"
    "7\r\n00:00:05,000 --> 00:00:06,000\r\n00:00:04,962 ... 00:00:05,000\r\n\r\n";

TEST(Cues, TheStationsTrackReadsAsUtf8CuesAndFitsTheVideo) {
  const auto cues = read_srt_cues(kTrack, TextEncoding::Cp1252);
  ASSERT_EQ(cues.size(), 6u);  // the entry with the broken time line is skipped whole
  EXPECT_EQ(cues[0], (Cue{0, 400, "P\xC3\xA9 12  08/12/2026 21h50:03\n\xC2\xA0      \n\xC2\xA0      "}));
  EXPECT_EQ(cues[3], (Cue{1250, 4962, "P\xC3\xA9 12      4,10m    w_0,50m"}));
  EXPECT_EQ(cues[5].start_ms, 5000);

  struct Case {
    const char* name;
    std::int64_t duration_ms;
    bool no_overlap;
    std::vector<std::pair<std::int64_t, std::int64_t>> expected;
  };
  const std::vector<Case> cases{
      // The zero-length cue and the closing entry past the end are dropped.
      {"whole video", 5000, false, {{0, 400}, {400, 1250}, {1250, 4962}, {4962, 5000}}},
      {"video shorter than the track", 3000, false, {{0, 400}, {400, 1250}, {1250, 3000}}},
  };
  for (const auto& c : cases) {
    std::vector<std::pair<std::int64_t, std::int64_t>> got;
    for (const auto& cue : cues_within(cues, c.duration_ms, c.no_overlap)) got.emplace_back(cue.start_ms, cue.end_ms);
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

TEST(Cues, OverlapsSortAndEndAtTheNextCueWhereSamplesFollowEachOther) {
  // A zeroing entry stamped by the clock can overlap the polling's entries and come later in the file.
  const std::vector<Cue> cues{{1000, 3000, "b"}, {0, 2000, "a"}, {2500, 2600, "zero"}, {3000, 4000, ""}};
  std::vector<std::pair<std::int64_t, std::int64_t>> mkv, mp4;
  for (const auto& c : cues_within(cues, 10000, false)) mkv.emplace_back(c.start_ms, c.end_ms);
  for (const auto& c : cues_within(cues, 10000, true)) mp4.emplace_back(c.start_ms, c.end_ms);
  EXPECT_EQ(mkv, (std::vector<std::pair<std::int64_t, std::int64_t>>{{0, 2000}, {1000, 3000}, {2500, 2600}}));
  EXPECT_EQ(mp4, (std::vector<std::pair<std::int64_t, std::int64_t>>{{0, 1000}, {1000, 2500}, {2500, 2600}}));
}

TEST(Cues, ObservationsAreUtf8AndBadBytesNeverReachTheMuxer) {
  const std::string obs =
      "\xEF\xBB\xBF"
      "1\r\n00:00:01,000 --> 00:00:02,500\r\nFIS \xE2\x80\x94 12.34m\r\n\r\n"
      "2\n00:00:03,000 --> 00:00:04,000\nRAC \xE9 \xC3\n\n";
  const auto cues = read_srt_cues(obs, TextEncoding::Utf8);
  ASSERT_EQ(cues.size(), 2u);
  EXPECT_EQ(cues[0], (Cue{1000, 2500, "FIS \xE2\x80\x94 12.34m"}));
  EXPECT_EQ(cues[1].text, "RAC \xEF\xBF\xBD \xEF\xBF\xBD");
}

}  // namespace
}  // namespace wellvue::exporting
