// Where the review finds a depth: first crossing going down, last going up, pauses, depths never
// reached, and the track read from the SRT when the depth record is missing or unreadable.
#include "review/depth_track.h"

#include <gtest/gtest.h>

#include <fstream>

#include "../util/temp_dir.h"
#include "french_locale.h"
#include "review/review_recording.h"

namespace wellvue {
namespace {

// Down from 0 to 4 m with a pause at 2 m, then back up to 1 m with a pause at 3 m.
const DepthTrack kDive({{0, 0.0},
                        {1000, 1.0},
                        {2000, 2.0},
                        {3000, 2.0},  // pause at 2 m from 2000 to 4000
                        {4000, 3.0},
                        {5000, 4.0},
                        {6000, 3.0},
                        {7000, 3.0},  // pause at 3 m on the way up, until 8000
                        {8000, 2.0},
                        {9000, 1.0}});

struct SeekCase {
  const char* name;
  double depth;
  PassDirection direction;
  std::int64_t ms;
  bool reached;
};

TEST(DepthTrackTest, SeeksTheFirstDescentOrLastAscentFrameAtADepth) {
  const SeekCase cases[] = {
      {"at a reading going down", 1.0, PassDirection::Descent, 1000, true},
      {"between readings, interpolated and on the next frame", 1.5, PassDirection::Descent, 1520, true},
      {"a pause: its first moment", 2.0, PassDirection::Descent, 2000, true},
      {"deeper, after the pause", 2.5, PassDirection::Descent, 3520, true},
      {"the start", 0.0, PassDirection::Descent, 0, true},
      {"going up, between readings, on the frame before", 3.5, PassDirection::Ascent, 5480, true},
      {"going up, a pause: its last frame", 3.0, PassDirection::Ascent, 7960, true},
      {"going up, the reading stands until the next", 2.0, PassDirection::Ascent, 8960, true},
      {"the bottom going up: its last frame", 4.0, PassDirection::Ascent, 5960, true},
      {"deeper than the bottom: the bottom, going down", 9.0, PassDirection::Descent, 5000, false},
      {"deeper than the bottom: the bottom, going up", 9.0, PassDirection::Ascent, 5960, false},
      {"above the start: the start", -1.0, PassDirection::Descent, 0, false},
      {"never back above: the end of the recording", 0.5, PassDirection::Ascent, 9000, true},
  };
  for (const SeekCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto found = kDive.seek(c.depth, c.direction, 40.0);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->ms, c.ms);
    EXPECT_EQ(found->ms % 40, 0) << "not a frame time";
    EXPECT_EQ(found->reached, c.reached);
    if (!c.reached) {
      EXPECT_NE(found->note.find("n'a pas \xE9t\xE9 atteinte"), std::string::npos) << found->note;
    }
  }
  EXPECT_FALSE(DepthTrack().seek(1.0, PassDirection::Descent, 40.0));

  // Readings at the board's pace: the frames that show the reading there, so the depth under the
  // picture is the one asked for.
  const DepthTrack dense({{0, 0.0}, {100, 0.1}, {200, 0.2}, {300, 0.1}, {400, 0.0}});
  EXPECT_EQ(dense.seek(0.05, PassDirection::Descent, 40.0)->ms, 120);
  EXPECT_GE(*dense.depth_at(120), 0.05);
  EXPECT_EQ(dense.seek(0.15, PassDirection::Ascent, 40.0)->ms, 280);
  EXPECT_GE(*dense.depth_at(280), 0.15);
}

TEST(DepthTrackTest, TheReadingInForceAndUnsortedRows) {
  // Rows of one time keep their order; the last one is in force from then on.
  const DepthTrack track({{200, 0.3}, {0, 0.0}, {0, 0.1}, {100, 0.2}});
  EXPECT_EQ(track.points().front().depth_m, 0.0);
  EXPECT_DOUBLE_EQ(*track.depth_at(-5), 0.0);
  EXPECT_DOUBLE_EQ(*track.depth_at(0), 0.1);
  EXPECT_DOUBLE_EQ(*track.depth_at(199), 0.2);
  EXPECT_DOUBLE_EQ(*track.depth_at(10000), 0.3);
  EXPECT_DOUBLE_EQ(track.max_depth(), 0.3);
  EXPECT_FALSE(DepthTrack().depth_at(0));
}

TEST(DepthTrackTest, ReadsTheDepthsOfAnSrt) {
  const DepthTrack track =
      depth_track_from_srt({"1", "00:00:00,000 --> 00:00:00,100", "\xA0      0,00m      ---", "", "2",
                            "00:00:00,100 --> 00:00:01,000", "\xA0     12,34m      3.50m", "", "3",
                            "00:00:01,000 --> 00:00:02,000", "Puits 2.5 x 10m", "",  // no depth text: skipped
                            "4", "00:00:02,000 --> 00:00:03,000", "-1.25m", ""});
  ASSERT_EQ(track.points().size(), 3u);
  EXPECT_DOUBLE_EQ(track.points()[1].depth_m, 12.34);
  EXPECT_EQ(track.points()[1].ms, 100);
  EXPECT_DOUBLE_EQ(track.points()[2].depth_m, -1.25);
}

TEST(ReviewRecordingTest, FallsBackOnTheSrtAndSaysWhy) {
  test::TempDir dir;
  const std::string avi = (dir.path() / "P1.avi").string();
  std::ofstream(dir.path() / "P1.srt") << "1\r\n00:00:00,000 --> 00:00:01,000\r\n\xA0 1.50m ---\r\n\r\n";
  // No depth record: the SRT, quietly.
  ReviewRecording r = load_review_recording(avi);
  EXPECT_FALSE(r.from_depth_record);
  EXPECT_TRUE(r.warning.empty());
  ASSERT_EQ(r.track.points().size(), 1u);
  // A record that does not read: the SRT, with a word for the operator.
  std::ofstream(dir.path() / "P1.depth.csv") << "not a depth record\n";
  r = load_review_recording(avi);
  EXPECT_FALSE(r.from_depth_record);
  EXPECT_NE(r.warning.find("sous-titres"), std::string::npos);
  EXPECT_DOUBLE_EQ(*r.track.depth_at(0), 1.5);
  // Neither: an empty track and the reason.
  std::filesystem::remove(dir.path() / "P1.srt");
  std::filesystem::remove(dir.path() / "P1.depth.csv");
  r = load_review_recording(avi);
  EXPECT_TRUE(r.track.empty());
  EXPECT_FALSE(r.warning.empty());
}

// On a French desktop too: the C library there would read the frame rate as 29.
TEST(ReviewRecordingTest, AnObservationTakesThePhotoLoggedWithIt) {
  const test::FrenchLocale french;
  ASSERT_TRUE(french.active()) << "fr_FR.UTF-8 is not installed: scripts/install-deps.sh generates it";
  test::TempDir dir;
  const std::string avi = (dir.path() / "P2.avi").string();
  std::ofstream(dir.path() / "P2.depth.csv") << "# Wellvue depth record 1\n# frame_rate: 29.97\n"
                                                "video_ms,event,raw,tics,depth_m,water_depth_m,detail\n"
                                                "0,start,,0,0.000,,\n"
                                                "0,line,0,0,0.000,,\n"
                                                "1000,snapshot,,10,0.500,,P2 0.50m.jpg\n"
                                                "2000,line,20,20,1.000,,\n"
                                                "3000,observation,,30,1.500,,\"Fissure: nord, 2 cm\"\n"
                                                "3002,snapshot,,30,1.500,,P2 1.50m Fissure.jpg\n"
                                                "9000,snapshot,,30,1.500,,P2 1.50m.jpg\n"
                                                "9100,stop,,30,1.500,,\n";
  const ReviewRecording r = load_review_recording(avi);
  ASSERT_TRUE(r.from_depth_record);
  EXPECT_DOUBLE_EQ(r.frame_rate, 29.97);
  EXPECT_EQ(r.track.points().size(), 2u);
  ASSERT_EQ(r.marks.size(), 3u);
  EXPECT_EQ(r.marks[0].kind, ReviewMark::Kind::Snapshot);
  EXPECT_EQ(r.marks[0].photo_path, (dir.path() / "P2 0.50m.jpg").string());
  EXPECT_EQ(r.marks[1].kind, ReviewMark::Kind::Observation);
  EXPECT_EQ(r.marks[1].text, "Fissure: nord, 2 cm");
  EXPECT_EQ(r.marks[1].ms, 3000);
  EXPECT_EQ(r.marks[1].photo_path, (dir.path() / "P2 1.50m Fissure.jpg").string());
  // A photo taken later on its own stays its own mark.
  EXPECT_EQ(r.marks[2].kind, ReviewMark::Kind::Snapshot);
}

}  // namespace
}  // namespace wellvue
