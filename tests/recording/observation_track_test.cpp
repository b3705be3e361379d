// The observations' subtitle file: cue times, the cut at the next observation, what a crash or a
// full disk leaves, read back by GStreamer's subtitle parser.
#include "recording/observation_track.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "../util/separator_guard.h"
#include "../util/temp_dir.h"
#include "capture/gst/gst_runtime.h"
#include "piped_child.h"
#include "recording_rig.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;

struct Cue {
  std::int64_t start_ms = 0;
  std::int64_t end_ms = 0;
  std::string text;  // lines joined by "\n"
};

// The cues as GStreamer's subtitle parser reads the file (UTF-8).
std::vector<Cue> parsed_cues(const fs::path& file, std::string& error) {
  gst::ensure_gstreamer();
  std::vector<Cue> cues;
  const std::string description =
      "filesrc location=\"" + file.string() + "\" ! subparse subtitle-encoding=UTF-8 ! appsink name=s sync=false";
  GError* err = nullptr;
  GstElement* pipeline = gst_parse_launch(description.c_str(), &err);
  if (err) {
    error = err->message;
    g_error_free(err);
  }
  if (!pipeline) return cues;
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "s");
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  while (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 10 * GST_SECOND)) {
    GstBuffer* b = gst_sample_get_buffer(sample);
    Cue c;
    c.start_ms = static_cast<std::int64_t>(GST_BUFFER_PTS(b) / GST_MSECOND);
    c.end_ms = c.start_ms + static_cast<std::int64_t>(GST_BUFFER_DURATION(b) / GST_MSECOND);
    GstMapInfo map;
    if (gst_buffer_map(b, &map, GST_MAP_READ)) {
      c.text.assign(reinterpret_cast<const char*>(map.data), map.size);
      gst_buffer_unmap(b, &map);
    }
    cues.push_back(c);
    gst_sample_unref(sample);
  }
  if (!gst_app_sink_is_eos(GST_APP_SINK(sink))) error = "no end of stream";
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(sink);
  gst_object_unref(pipeline);
  return cues;
}

const std::string kDash = " \xE2\x80\x94 ";

TEST(ObservationTrack, CuesShowFiveSecondsCutAtTheNextAndReadBackWhole) {
  test::SeparatorGuard dot('.');
  test::TempDir dir;
  const fs::path file = dir.path() / "puits.obs.srt";
  ObservationTrack t;
  ASSERT_TRUE(t.open(file.string()));
  EXPECT_FALSE(fs::exists(file));  // nothing yet to show
  t.add(1000, "Cr\xC3\xA9pine haut", "", 12.344);
  t.add(3500, "Objet tomb\xC3\xA9", "  sac plastique\r\n ", 12.9);  // cuts the first at 3.5 s
  t.add(20000, "Fond du forage", "", 40);                           // leaves the second its 5 s
  t.add(21000, "Niveau d'eau", "", 40.5);
  EXPECT_FALSE(t.failed());
  ASSERT_TRUE(t.save());
  t.close();

  const std::string expected = "1\r\n00:00:01,000 --> 00:00:03,500\r\nCr\xC3\xA9pine haut" + kDash + "12.34m\r\n\r\n" +
                               "2\r\n00:00:03,500 --> 00:00:08,500\r\nObjet tomb\xC3\xA9" + kDash +
                               "12.90m\r\nsac plastique\r\n\r\n" +
                               "3\r\n00:00:20,000 --> 00:00:21,000\r\nFond du forage" + kDash + "40.00m\r\n\r\n" +
                               "4\r\n00:00:21,000 --> 00:00:26,000\r\nNiveau d'eau" + kDash + "40.50m\r\n\r\n";
  EXPECT_EQ(test::read_bytes(file), expected);

  std::string error;
  const std::vector<Cue> cues = parsed_cues(file, error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(cues.size(), 4u);
  const std::int64_t starts[] = {1000, 3500, 20000, 21000};
  const std::int64_t ends[] = {3500, 8500, 21000, 26000};
  for (std::size_t i = 0; i < cues.size(); ++i) {
    EXPECT_EQ(cues[i].start_ms, starts[i]) << i;
    EXPECT_EQ(cues[i].end_ms, ends[i]) << i;
  }
  EXPECT_EQ(cues[1].text, "Objet tomb\xC3\xA9" + kDash + "12.90m\nsac plastique");
}

TEST(ObservationTrack, ARecordingWithoutObservationLeavesNoFileNotEvenAnOldOne) {
  test::TempDir dir;
  const fs::path file = dir.path() / "puits.obs.srt";
  std::ofstream(file) << "1\r\n00:00:01,000 --> 00:00:02,000\r\nd'un enregistrement remplac\xC3\xA9\r\n\r\n";
  ObservationTrack t;
  ASSERT_TRUE(t.open(file.string()));
  EXPECT_TRUE(t.save());
  t.close();
  EXPECT_FALSE(fs::exists(file));
  // A folder that is not there: no track, said at the start.
  EXPECT_FALSE(t.open((dir.path() / "absent" / "puits.obs.srt").string()));
}

TEST(ObservationTrack, AKilledStationKeepsEveryCueJournaled) {
  test::TempDir dir;
  const fs::path file = dir.path() / "puits.obs.srt";
  test::PipedChild child({WELLVUE_OBSERVATION_CHILD, file.string()});
  ASSERT_TRUE(child.started());
  int cues = 0;
  while (cues < 6) {
    const auto line = child.next_line();
    if (!line) break;
    if (line->rfind("cues ", 0) == 0) cues = std::stoi(line->substr(5));
  }
  ASSERT_TRUE(child.kill_now());
  ASSERT_GE(cues, 6) << "the child did not get going";

  std::string error;
  const std::vector<Cue> got = parsed_cues(file, error);
  EXPECT_EQ(error, "");
  ASSERT_GE(static_cast<int>(got.size()), cues);
  for (int i = 0; i < cues; ++i) {
    const int n = i + 1;
    std::string text = "Joint " + std::to_string(n) + kDash;
    EXPECT_EQ(got[i].text.rfind(text, 0), 0u) << got[i].text;
    EXPECT_EQ(got[i].text.find("note") != std::string::npos, n % 2 == 1) << got[i].text;
    EXPECT_EQ(got[i].start_ms, n * 2000) << i;
  }
}

TEST(ObservationTrack, AFullDiskFailsTheJournalAndTheStopWritesEveryCueOnceThereIsRoom) {
  test::TempDir dir;
  const fs::path disk = dir.path() / "disk";
  fs::create_directories(disk);
  ASSERT_EQ(::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k,mode=0755"), 0) << std::strerror(errno);
  struct Unmount {
    fs::path p;
    ~Unmount() { ::umount2(p.c_str(), MNT_DETACH); }
  } unmount{disk};
  const fs::path file = disk / "puits.obs.srt";
  ObservationTrack t;
  ASSERT_TRUE(t.open(file.string()));
  t.add(1000, "Joint", "", 1);
  EXPECT_FALSE(t.failed());
  {
    // Every byte left taken.
    std::ofstream filler(disk / "filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
    }
  }
  t.add(2000, "Racines", std::string(6000, 'r'), 2);
  EXPECT_TRUE(t.failed());
  EXPECT_FALSE(t.save());
  fs::remove(disk / "filler");
  ASSERT_TRUE(t.save());
  t.close();
  std::string error;
  const std::vector<Cue> got = parsed_cues(file, error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].end_ms, 2000);
  EXPECT_EQ(got[1].text, "Racines" + kDash + "2.00m\n" + std::string(6000, 'r'));
}

}  // namespace
}  // namespace wellvue
