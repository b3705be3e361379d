// A recording that fills its disk: a real 20 MB tmpfs as the video folder, the test-pattern
// camera and the DV encoder. The engine stops at once, says why, and leaves a file that
// GStreamer and ffmpeg play without a repair step.
#include <gtest/gtest.h>
#include <cstdio>
#include <filesystem>

#include "../avi/avi_fixtures.h"
#include "capture/avi/avi_info.h"
#include "gst_test_support.h"

namespace wellvue::gst::testing {
namespace {

namespace fs = std::filesystem;

using avi::test::ffmpeg_frames;
using avi::test::SmallDisk;

// The file plays as it is: its headers say what it holds, and both readers decode all of it.
void expect_plays_whole(const std::string& file) {
  const auto read = avi::read_avi_file(file);
  ASSERT_TRUE(read.info) << read.error;
  const avi::AviInfo& i = *read.info;
  EXPECT_GT(i.video_chunks(), 25u);
  EXPECT_EQ(i.declared_video_frames(), i.video_chunks());
  EXPECT_EQ(i.total_frames, i.video_chunks());
  EXPECT_FALSE(i.movi_tail_is_partial);
  EXPECT_EQ(8u + i.riff_size, fs::file_size(file));
  const Readback rb = read_back(file);
  ASSERT_TRUE(rb.ok) << rb.error;
  EXPECT_EQ(rb.frames, i.video_chunks());
  const int ff = ffmpeg_frames(file);
  if (ff >= 0) {
    EXPECT_EQ(ff, static_cast<int>(i.video_chunks()));
  }
}

struct FullCase {
  const char* label;
  bool temp_file;
  bool preview;
};

void PrintTo(const FullCase& c, std::ostream* os) { *os << c.label; }

class DiskFull : public ::testing::TestWithParam<FullCase> {};

TEST_P(DiskFull, StopsTheRecordingSaysWhyAndLeavesAPlayableFile) {
  SmallDisk disk(20);
  if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  Station s;
  const std::string file = (disk.path() / "puits.avi").string();
  TGraphConfig c = s.config(file);
  c.VideoCompressorName = "DV Video Encoder";
  c.UseTempFile = GetParam().temp_file;
  c.WantPreview = GetParam().preview;
  s.cap.ApplyConfig(&c);
  ASSERT_TRUE(s.cap.StartCapture(false)) << ::testing::PrintToString(s.reports());
  // 20 MB of DV is under six seconds; the engine must not wait for the time limit or a stop.
  ASSERT_TRUE(s.run_until([&] { return !s.cap.Capturing(); }, std::chrono::seconds(40)));
  s.run_for(std::chrono::milliseconds(300));

  EXPECT_EQ(std::count(s.events.begin(), s.events.end(), "Aborted"), 1);
  EXPECT_EQ(s.cap.LastAbortCode(), E_DISK_FULL);
  EXPECT_EQ(s.cap.LastAbortReason(), "disque plein dans " + disk.path().string() + " (plus de place pour la vid\xE9o)");
  EXPECT_EQ(s.cap.RecordingFile(), file);
  EXPECT_TRUE(s.cap.KeptRecordings().empty());
  expect_plays_whole(file);
  const auto read = avi::read_avi_file(file);
  ASSERT_TRUE(read.info);
  EXPECT_NEAR(s.cap.LastCaptureStats().file_duration_s, read.info->video_duration_seconds(), 1e-9);
  EXPECT_EQ(s.cap.LastCaptureStats().frames_written, read.info->video_chunks());
  EXPECT_EQ(s.cap.Previewing(), GetParam().preview);
}

INSTANTIATE_TEST_SUITE_P(Recordings, DiskFull,
                         ::testing::Values(FullCase{"final_file", false, true}, FullCase{"temp_file", true, true},
                                           FullCase{"no_preview", false, false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(DiskFull, ToolSaysWhyInFrenchAndTheFilePlays) {
  SmallDisk disk(20);
  if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  const std::string file = (disk.path() / "outil.avi").string();
  ScratchDir dir;
  const std::string out = dir.file("out.txt");
  const std::string cmd = std::string("'") + WELLVUE_CAPTURE_TOOL + "' --record '" + file +
                          "' --seconds 30 --test-source --compressor 'DV Video Encoder' >'" + out + "' 2>&1";
  const int rc = std::system(cmd.c_str());
  EXPECT_NE(rc, 0);
  std::string text;
  if (std::FILE* f = std::fopen(out.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
  }
  EXPECT_NE(text.find("enregistrement interrompu : disque plein dans " + disk.path().string() +
                      " (plus de place pour la vidéo)"),
            std::string::npos)
      << text;
  expect_plays_whole(file);
}

}  // namespace
}  // namespace wellvue::gst::testing
