// The encoder board unplugged for real in the middle of a recording and plugged in again: the
// pseudo-terminal's master side closes, a new board appears behind the same link name, and the
// recording goes on to its stop.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "../util/temp_dir.h"
#include "depth_check.h"
#include "recording/depth_record.h"
#include "recording_rig.h"
#include "util/numbers.h"

namespace wellvue {
namespace {

// The AVI's duration as ffmpeg's reader finds it (-1 when it cannot read the file).
double ffprobe_duration_s(const std::string& path) {
  const std::string cmd = "ffprobe -v error -show_entries format=duration -of csv=p=0 '" + path + "' 2>/dev/null";
  std::FILE* f = ::popen(cmd.c_str(), "r");
  if (!f) return -1;
  // ffprobe writes a point whatever the locale: read without the C library's.
  char text[64] = {};
  const bool read = std::fgets(text, sizeof text, f) != nullptr;
  ::pclose(f);
  std::string_view t = read ? text : "";
  while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.remove_suffix(1);
  return read_decimal(t).value_or(-1);
}

int lines_with(const LineLog& log, const std::string& part) {
  int n = 0;
  for (const auto& l : log.lines())
    if (l.find(part) != std::string::npos) ++n;
  return n;
}

TEST(BoardUnplug, DuringARecordingTheLossAndTheReturnAreRecordedAndTheFilesStayWhole) {
  test::TempDir dir;
  test::RigOptions o;
  o.by_link_name = true;
  test::Rig rig(dir.path(), std::move(o));
  ASSERT_TRUE(rig.start(/*zero=*/false));
  ASSERT_EQ(rig.link->reopen_name(), rig.link_name());
  ASSERT_TRUE(rig.record_entries(4));

  const int opens = rig.link->state().open_count;
  rig.unplug_board();
  ASSERT_TRUE(rig.run_until([&] { return rig.link->link_lost(); }, 5000));
  rig.run_for(1500);  // a while without the board: the recording goes on
  const int entries_while_away = test::entries_in(rig.link->track());
  rig.plug_in_new_board();
  ASSERT_TRUE(rig.run_until([&] { return !rig.link->link_lost(); }, 10000));
  // The new board's lines after its boot.
  ASSERT_TRUE(rig.run_until([&] { return test::entries_in(rig.link->track()) >= entries_while_away + 5; }));
  rig.workflow->btStopClick();
  ASSERT_FALSE(rig.engine->Capturing());

  // The operator saw it go and come back, in French, once each; nothing was asked.
  EXPECT_EQ(rig.view.link_lost, (std::vector<bool>{true, false}));
  EXPECT_EQ(lines_with(rig.link->memo(Memo::Memo1),
                       "encodeur d\xE9"
                       "connect\xE9 : " +
                           rig.link_name()),
            1);
  EXPECT_EQ(lines_with(rig.link->memo(Memo::Memo1), "encodeur reconnect\xE9 : " + rig.link_name()), 1);
  EXPECT_EQ(rig.link->state().open_count, opens);  // taken up again without "OpenCom"

  // The video, read to its end by GStreamer and by ffmpeg.
  const std::string avi = (rig.folder / "puits.avi").string();
  const test::PlayedVideo video = test::play_avi(avi);
  ASSERT_TRUE(video.ok) << video.error;
  EXPECT_EQ(video.frames, rig.engine->LastCaptureStats().frames_written);
  EXPECT_NEAR(ffprobe_duration_s(avi), video.duration_s, 0.040);

  // The subtitles: well-formed, one after the other without overlap, the gap shown once, and
  // depth entries on both sides of it, none of them empty from the gap on (the lines read while
  // the start held the loop, before the first frame, share its time).
  std::string error;
  const auto subs = test::parse_srt((rig.folder / "puits.srt").string(), &error);
  ASSERT_TRUE(error.empty()) << error;
  std::size_t gap = subs.size();
  for (std::size_t i = 0; i < subs.size(); ++i) {
    EXPECT_GE(subs[i].end_s, subs[i].start_s) << i << " " << subs[i].text;
    if (i > 0) {
      EXPECT_GE(subs[i].start_s + 0.0005, subs[i - 1].end_s) << i << " " << subs[i].text;
    }
    if (subs[i].text.rfind("liaison encodeur perdue ", 0) == 0) {
      EXPECT_EQ(gap, subs.size()) << "a second gap entry: " << subs[i].text;
      gap = i;
    }
    if (i + 1 >= gap) {
      EXPECT_GT(subs[i].end_s, subs[i].start_s) << i << " " << subs[i].text;
    }
  }
  ASSERT_LT(gap, subs.size());
  EXPECT_NE(subs[gap].text.find("), profondeur \xC3\xA0 v\xC3\xA9rifier"), std::string::npos) << subs[gap].text;
  EXPECT_GE(subs[gap].end_s - subs[gap].start_s, 1.5);
  ASSERT_GE(gap, 2u);
  ASSERT_GE(subs.size() - gap, 5u);  // depth entries after it, then the two closing entries
  EXPECT_NEAR(subs[subs.size() - 2].end_s, video.duration_s, 0.040);

  // The depth record: the loss and the return once each, in order between the start and the
  // stop, where the gap entry stands; every line on its entry; the count going on after it.
  const DepthRecord record = read_depth_record((rig.folder / "puits.depth.csv").string());
  EXPECT_EQ(test::depth_record_problem(record, subs, /*closed=*/true), "");
  const auto lost = test::rows_of(record, "encoder_lost");
  const auto back = test::rows_of(record, "encoder_back");
  ASSERT_EQ(lost.size(), 1u);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_GE(back[0].video_ms - lost[0].video_ms, 1500);
  EXPECT_LT(back[0].video_ms, record.rows.back().video_ms);
  std::int32_t tics_before = -1;
  bool after = false, line_after = false;
  for (std::size_t i = 1; i < record.rows.size(); ++i) {
    const DepthRow& r = record.rows[i];
    EXPECT_GE(r.video_ms, record.rows[i - 1].video_ms) << "row " << i << " " << r.event;
    if (r.event == "encoder_back") after = true;
    if (r.event != "line") continue;
    EXPECT_GE(r.tics, tics_before) << "row " << i;
    if (after && !line_after) {
      // The new board counts from 0 again: its first line is the depth the old one left.
      EXPECT_EQ(r.raw, 0) << "row " << i;
      EXPECT_EQ(r.tics, tics_before) << "row " << i;
      line_after = true;
    }
    tics_before = r.tics;
  }
  EXPECT_TRUE(line_after);
  EXPECT_EQ(record.rows.back().event, "stop");
  EXPECT_NEAR(static_cast<double>(record.rows.back().video_ms), video.duration_s * 1000.0, 40);
}

}  // namespace
}  // namespace wellvue
