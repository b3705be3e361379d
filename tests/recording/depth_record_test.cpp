// The depth record beside a recording: its rows as text and back, its journal on a full disk, and
// a real recording whose every line and zeroing lies on the subtitles' clock.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "../util/separator_guard.h"
#include "../util/temp_dir.h"
#include "depth_check.h"
#include "recording/depth_record.h"
#include "small_disk.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

DepthHeader sample_header() {
  DepthRecordStart s;
  s.bore = "Puits \"Nord\", n°2";
  s.date = "2026-12-08 21:50:03";
  s.station = "Wellvue 0.1";
  s.circumference_mm_per_turn = 523.5;
  s.sign = -1;
  s.curb_zero_tics = 1234;
  s.start_depth_m = 1.5;
  s.depth_offset_m = 0.25;
  s.water_zero_tics = -1;
  s.compressor = "DV Video Encoder";
  s.frame_rate = 25;
  return depth_header(s);
}

TEST(DepthRecordFile, RowsGoToTextWithAPointAndComeBackAsTheyWere) {
  // The station's separator is a comma: never in the file.
  test::SeparatorGuard comma(',');
  const std::vector<DepthRow> rows{
      {0, "start", std::nullopt, 1234, 1.75, std::nullopt, ""},
      {40, "line", 1240, -1240, 1.0012345, 0.5, ""},
      {80, "observation", std::nullopt, -1240, -0.0001, std::nullopt, "FIS: fissure, \"large\"\nsuite"},
      {120, "snapshot", std::nullopt, -1240, 12.3456, 3.0, "puits été 0001.jpg"},
  };
  EXPECT_EQ(depth_row_text(rows[1]), "40,line,1240,-1240,1.001,0.500,");
  EXPECT_EQ(depth_row_text(rows[2]), "80,observation,,-1240,0.000,,\"FIS: fissure, \"\"large\"\"\nsuite\"");
  TempDir dir;
  const std::string file = (dir.path() / "p.depth.csv").string();
  ASSERT_TRUE(write_depth_record(file, sample_header(), rows));
  const std::string bytes = test::read_bytes(file);
  EXPECT_EQ(
      bytes.rfind("# Wellvue depth record 1\n# bore: Puits \"Nord\", n°2\n# date: 2026-12-08 21:50:03\n"
                  "# station: Wellvue 0.1\n# circumference_mm_per_turn: 523.5\n# sign: -1\n# tics_per_turn: 24\n"
                  "# curb_zero_tics: 1234\n# start_depth_m: 1.50\n# depth_offset_m: 0.250\n# water_zero_tics: -1\n"
                  "# compressor: DV Video Encoder\n# frame_rate: 25\n"
                  "video_ms,event,raw,tics,depth_m,water_depth_m,detail\n0,start,,1234,1.750,,\n",
                  0),
      0u)
      << bytes;
  EXPECT_EQ(bytes.find('\r'), std::string::npos);

  const DepthRecord back = read_depth_record(file);
  EXPECT_EQ(back.header.at("bore"), "Puits \"Nord\", n°2");
  EXPECT_EQ(back.header.at("frame_rate"), "25");
  ASSERT_EQ(back.rows.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back.rows[i].video_ms, rows[i].video_ms);
    EXPECT_EQ(back.rows[i].event, rows[i].event);
    EXPECT_EQ(back.rows[i].raw, rows[i].raw);
    EXPECT_EQ(back.rows[i].tics, rows[i].tics);
    EXPECT_NEAR(back.rows[i].depth_m, rows[i].depth_m, 0.0005);
    EXPECT_EQ(back.rows[i].water_depth_m.has_value(), rows[i].water_depth_m.has_value());
    EXPECT_EQ(back.rows[i].detail, rows[i].detail);
  }

  // What is not a depth record says where.
  const std::string head = depth_header_text(sample_header());
  for (const auto& [text, line] :
       std::vector<std::pair<std::string, std::string>>{{"video_ms,event\n", "ligne 1"},
                                                        {head + "0,start,,1,2.000,,\n5,line,x,1,2.000,,\n", "ligne 16"},
                                                        {head + "0,start,,1,2.000,\n", "ligne 15"},
                                                        {head + "0,start,,1,2.000,,\"open\n", "ligne 15"},
                                                        {"# Wellvue depth record 1\n# bore: x\n", "ligne 3"}}) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    try {
      read_depth_record(file);
      ADD_FAILURE() << "read: " << text;
    } catch (const ConversionError& e) {
      EXPECT_NE(std::string(e.what()).find(line), std::string::npos) << e.what();
    }
  }
}

using test::SmallDisk;

TEST(DepthJournal, AFullDiskLeavesWholeRowsAndTheJournalGoesOnOnceThereIsRoom) {
  TempDir dir;
  SmallDisk disk(dir.path() / "disk");
  ASSERT_TRUE(disk.mounted) << std::strerror(errno);
  const std::string file = (disk.path / "p.depth.csv").string();
  DepthJournal j;
  ASSERT_TRUE(j.open(file, sample_header()));
  auto row = [](int n) { return DepthRow{n * 40, "line", n, n, n / 10.0, std::nullopt, std::string(300, 'd')}; };
  j.row(row(0));
  {
    // The rest of the disk taken by another file.
    std::ofstream filler(disk.path / "filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
    }
  }
  int written = 0;
  for (int n = 1; n < 100 && !j.failed(); ++n) {
    j.row(row(n));
    if (!j.failed()) written = n;
  }
  ASSERT_TRUE(j.failed());
  const auto expect_rows = [&](const std::vector<int>& ns) {
    const DepthRecord r = read_depth_record(file);
    ASSERT_EQ(r.rows.size(), ns.size());
    for (std::size_t i = 0; i < ns.size(); ++i) EXPECT_EQ(r.rows[i].tics, ns[i]);
  };
  std::vector<int> ns;
  for (int n = 0; n <= written; ++n) ns.push_back(n);
  expect_rows(ns);

  fs::remove(disk.path / "filler");
  j.row(row(500));
  j.close();
  ns.push_back(500);
  expect_rows(ns);
}

TEST(DepthRecord, ARecordingLeavesItsLinesAndEventsOnTheSubtitlesClock) {
  TempDir dir;
  test::Rig rig(dir.path() / "videos");
  rig.link->main_fields().Edit_nom_forage =
      "Puits Nord, n\xB0"
      "2";
  ASSERT_TRUE(rig.start(/*zero=*/true));
  ASSERT_TRUE(rig.record_entries(5));
  const std::string depth = (rig.folder / "puits.depth.csv").string();
  // On disk while it runs.
  EXPECT_GE(read_depth_record(depth).rows.size(), 3u);

  rig.link->curb_zero_now();
  rig.prompter.add_answer(true);
  rig.link->SpeedButton2Click();
  auto more = [&](int n) {
    const int now = test::entries_in(rig.link->track());
    ASSERT_TRUE(rig.run_until([&] { return test::entries_in(rig.link->track()) >= now + n; }));
  };
  more(4);
  rig.link->fields().Edit_circ = "500";
  rig.link->BitBtn_manuClick(Sender::LinkWindow);
  more(3);
  rig.workflow->note_event("observation", "FIS: fissure, 2 cm");
  ASSERT_TRUE(rig.workflow->video_ms_now().has_value());
  const std::int64_t observed = *rig.workflow->video_ms_now();
  more(2);
  rig.workflow->btStopClick();
  ASSERT_FALSE(rig.workflow->recording());
  EXPECT_FALSE(rig.workflow->video_ms_now().has_value());
  EXPECT_EQ(rig.workflow->depth_record_file(), depth);

  const DepthRecord record = read_depth_record(depth);
  const auto subs = test::parse_srt((rig.folder / "puits.srt").string());
  EXPECT_EQ(test::depth_record_problem(record, subs, /*closed=*/true), "");
  EXPECT_EQ(record.header.at("bore"), "Puits Nord, n°2");
  EXPECT_EQ(record.header.at("compressor"), rig.config.VideoCompressorName);
  EXPECT_EQ(record.header.at("circumference_mm_per_turn"), "404");
  EXPECT_EQ(record.header.at("frame_rate"), "25");  // the test pattern's
  ASSERT_EQ(test::rows_of(record, "curb_zero").size(), 1u);
  ASSERT_EQ(test::rows_of(record, "water_zero").size(), 1u);
  const auto calibrations = test::rows_of(record, "calibration");
  ASSERT_EQ(calibrations.size(), 1u);
  EXPECT_EQ(calibrations[0].detail, "500");
  const auto observations = test::rows_of(record, "observation");
  ASSERT_EQ(observations.size(), 1u);
  EXPECT_EQ(observations[0].detail, "FIS: fissure, 2 cm");
  EXPECT_NEAR(static_cast<double>(observations[0].video_ms), static_cast<double>(observed), 40);
  // The stop at the video's end, as the closing entries.
  const test::PlayedVideo video = test::play_avi((rig.folder / "puits.avi").string());
  ASSERT_TRUE(video.ok);
  EXPECT_NEAR(static_cast<double>(record.rows.back().video_ms), video.duration_s * 1000.0, 40);
  EXPECT_NEAR(subs.back().start_s * 1000.0, static_cast<double>(record.rows.back().video_ms), 1);
  const std::string bytes = test::read_bytes(depth);
  EXPECT_EQ(bytes.back(), '\n');
  EXPECT_EQ(bytes.find('\r'), std::string::npos);
}

}  // namespace
}  // namespace wellvue
