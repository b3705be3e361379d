// The depth a recording writes while the cable moves around the operator's presses: Start with
// either answer to the zero question, a curb zero in the middle of the run, an observation whose
// code takes its time to pick. Real engine, real pseudo-terminal board counting one tic a line.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "../util/temp_dir.h"
#include "recording/depth_notes.h"
#include "recording/depth_record.h"
#include "recording/recording_texts.h"
#include "depth_check.h"
#include "recording_rig.h"
#include "util/depth_text.h"

namespace wellvue {
namespace {

constexpr double kMetresPerTic = 0.404 / 24;  // the rig's wheel: 404 mm a turn

std::vector<DepthRow> rows_of(const test::Rig& rig, const std::string& event) {
  std::vector<DepthRow> out;
  const DepthRecord record = read_depth_record(rig.workflow->depth_record_file());
  for (const DepthRow& r : record.rows)
    if (r.event == event) out.push_back(r);
  return out;
}

TEST(DepthReferences, TheCableDrawnAroundStartAndACurbZeroCountsOnce) {
  struct Case {
    const char* name;
    bool zero;              // the zero question's answer
    int start_depth_cm;     // chosen before the run
    bool curb_zero_midway;  // the camera brought back to the curb during the run
  };
  const Case cases[] = {
      {"zero: the recording starts at the wheel's position", true, 250, false},
      {"no zero: the depth goes on from the one shown", false, 250, false},
      {"no zero away from the curb, then a curb zero with a start depth", false, 10, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    test::Rig rig(dir.path());
    rig.link->set_start_depth_cm(c.start_depth_cm);
    // The camera already lowered: the board has counted a while before Start.
    ASSERT_TRUE(rig.run_until([&] { return rig.link->state().tics >= 30; }));
    const std::int32_t tics_before = rig.link->state().tics;
    const double shown_before = rig.link->state().depth_m;
    // The operator reads the zero question while the cable keeps moving.
    rig.prompter.set_before_answer([&](const std::string& text) {
      if (text == kZeroQuestion) rig.run_for(1200);
    });
    ASSERT_TRUE(rig.start(c.zero));
    ASSERT_TRUE(rig.record_entries(8));
    std::int32_t zero_tics = 0;
    if (c.curb_zero_midway) {
      rig.link->curb_zero_now();
      zero_tics = rig.link->state().tics;
      const std::int32_t at = zero_tics;
      ASSERT_TRUE(rig.run_until([&] { return rig.link->state().tics >= at + 10; }));
    }
    rig.workflow->btStopClick();

    const std::vector<DepthRow> lines = rows_of(rig, "line");
    ASSERT_GE(lines.size(), 8u);
    for (const DepthRow& r : lines) {
      SCOPED_TRACE(r.video_ms);
      const bool after_zero = c.curb_zero_midway && r.tics >= zero_tics && r.video_ms >= rows_of(rig, "curb_zero")[0].video_ms;
      double expected = 0;
      double slack = 0.0006;  // the record keeps millimetres
      if (after_zero) {
        // At the curb the depth is the start depth, whatever the start carried over.
        expected = c.start_depth_cm / 100.0 + (r.tics - zero_tics) * kMetresPerTic;
      } else if (c.zero) {
        // From the wheel's position at the press, which the reads before it had reached.
        expected = (r.tics - tics_before) * kMetresPerTic;
        slack = 2.5 * kMetresPerTic;
      } else {
        expected = shown_before + (r.tics - tics_before) * kMetresPerTic;
      }
      EXPECT_NEAR(r.depth_m, expected, slack) << "tics " << r.tics;
    }
    // The questions took more than a second: the first line already counts the cable drawn then.
    if (!c.curb_zero_midway) {
      EXPECT_GT(lines.front().tics, tics_before + 5);
    }
  }
}

// A depth corrected at a known mark during the run: the live depth, the subtitles and the depth
// record all go on from the true depth, and the record says by how much it moved.
TEST(DepthReferences, ACorrectionAtAKnownMarkShiftsWhatFollows) {
  test::TempDir dir;
  test::Rig rig(dir.path());
  ASSERT_TRUE(rig.start(/*zero=*/false));
  ASSERT_TRUE(rig.record_entries(6));
  const double before = rig.link->depth_at(rig.link->state().tics);
  rig.link->correct_depth_to(before + 1.25);
  const std::int32_t at = rig.link->state().tics;
  EXPECT_NEAR(rig.link->reading_now().depth_m, before + 1.25, 1e-9);
  ASSERT_TRUE(rig.run_until([&] { return rig.link->state().tics >= at + 10; }));
  rig.workflow->btStopClick();

  const DepthRecord record = read_depth_record(rig.workflow->depth_record_file());
  const auto corrections = test::rows_of(record, "depth_correction");
  ASSERT_EQ(corrections.size(), 1u);
  EXPECT_EQ(corrections[0].detail, "+1.250");
  const auto subs = test::parse_srt((dir.path() / "puits.srt").string());
  EXPECT_EQ(test::depth_record_problem(record, subs, /*closed=*/true), "");
  const DepthRow last = rows_of(rig, "line").back();
  EXPECT_NEAR(last.depth_m, before + 1.25 + (last.tics - at) * kMetresPerTic, 0.0006);
  bool marked = false;
  for (const auto& sub : subs) marked = marked || sub.text.rfind("profondeur corrig", 0) == 0;
  EXPECT_TRUE(marked);
}

TEST(DepthReferences, AnObservationKeepsTheDepthAndTimeOfItsPress) {
  test::TempDir dir;
  test::Rig rig(dir.path());
  ASSERT_TRUE(rig.start(/*zero=*/true));
  ASSERT_TRUE(rig.record_entries(6));
  DepthNotes notes(*rig.engine, *rig.link, *rig.host, rig.workflow.get(), rig.prompter, rig.clock);

  ObservationPress press = notes.press_observation();
  const double depth_at_press = press.depth_m;
  ASSERT_TRUE(press.video_ms.has_value());
  const std::int64_t video_ms = *press.video_ms;
  EXPECT_NE(press.heading.find(", 00:00:0"), std::string::npos) << press.heading;
  // The operator takes a while to pick the code; the camera goes on down.
  const std::int32_t tics = rig.link->state().tics;
  ASSERT_TRUE(rig.run_until([&] { return rig.link->state().tics >= tics + 15; }));
  std::optional<PhotoPress> photo = notes.save_observation(std::move(press), "Fissure", "lente");
  ASSERT_TRUE(photo.has_value());
  ASSERT_TRUE(notes.photo_written(*photo, write_photo(*photo)));
  rig.workflow->btStopClick();

  const std::vector<DepthRow> observed = rows_of(rig, "observation");
  ASSERT_EQ(observed.size(), 1u);
  EXPECT_EQ(observed[0].video_ms, video_ms);
  EXPECT_NEAR(observed[0].depth_m, depth_at_press, 0.0006);
  EXPECT_EQ(observed[0].detail, "Fissure: lente");
  const std::vector<DepthRow> snapshots = rows_of(rig, "snapshot");
  ASSERT_EQ(snapshots.size(), 1u);
  EXPECT_NEAR(snapshots[0].depth_m, depth_at_press, 0.0006);
  // The photo is named with the press's depth, the observation track carries it too.
  EXPECT_NE(photo->depth.find(depth_text(depth_at_press)), std::string::npos);
  const std::string track = test::read_bytes(dir.path() / "puits.obs.srt");
  EXPECT_NE(track.find(depth_text(depth_at_press)), std::string::npos) << track;
}

}  // namespace
}  // namespace wellvue
