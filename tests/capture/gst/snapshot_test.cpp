// Snapshots from real pipelines on the test-pattern camera: the JPEG is read back by jpegdec at
// the camera's size (never the preview's) with its band of text under the picture, while
// previewing and while recording a real AVI; planted names are never written through or over, a
// full disk fails cleanly and the recording goes on; no picture without a live camera. Then
// every camera format (raw, MJPEG, DV) through the encoder alone.
#include <gst/app/gstappsink.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "../avi/avi_fixtures.h"
#include "capture/gst/gst_runtime.h"
#include "capture/gst/snapshot_encoder.h"
#include "capture/gst/test_pattern_device.h"
#include "capture/snapshot.h"
#include "gst_test_support.h"
#include "util/conversion_error.h"

namespace wellvue::gst::testing {
namespace {

namespace fs = std::filesystem;
using avi::test::SmallDisk;

const std::vector<std::string> kLines = {"Puits de l'\xC3\x89tang  08/12/2026 22:40:12",
                                         "Profondeur 12.34 m   Niveau d'eau 3.20 m"};

int luma(const std::uint8_t* p) { return (p[0] * 30 + p[1] * 59 + p[2] * 11) / 100; }

// The picture is the moving colour-bar pattern: each of its six coloured bars covers a good part
// of the top half, whatever the scroll.
void expect_test_pattern(const RgbPicture& p, int picture_height) {
  struct Bar {
    const char* name;
    bool r, g, b;
  };
  const Bar bars[] = {{"yellow", 1, 1, 0},  {"cyan", 0, 1, 1}, {"green", 0, 1, 0},
                      {"magenta", 1, 0, 1}, {"red", 1, 0, 0},  {"blue", 0, 0, 1}};
  const int rows = picture_height / 2;
  for (const Bar& bar : bars) {
    int hits = 0;
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < p.width; ++x) {
        const std::uint8_t* px = p.pixel(x, y);
        auto on = [](std::uint8_t v, bool want) { return want ? v > 150 : v < 90; };
        if (on(px[0], bar.r) && on(px[1], bar.g) && on(px[2], bar.b)) ++hits;
      }
    EXPECT_GT(hits, rows * p.width / 20) << bar.name << " bar missing from the picture";
  }
}

// The band under the picture is black with light text on it.
void expect_band_with_text(const RgbPicture& p, int from_row) {
  ASSERT_LT(from_row, p.height);
  int dark = 0, bright = 0;
  const int total = (p.height - from_row) * p.width;
  for (int y = from_row; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const int l = luma(p.pixel(x, y));
      if (l < 50) ++dark;
      if (l > 170) ++bright;
    }
  EXPECT_GT(dark, total * 7 / 10) << "the band is not dark";
  EXPECT_GT(bright, total / 200) << "no text in the band";
}

void expect_snapshot(const SnapshotResult& r, const std::string& file, int width, int height, size_t lines) {
  ASSERT_TRUE(r.ok()) << r.message;
  const int band = snapshot_band(width, height, lines).height;
  EXPECT_EQ(r.width, width);
  EXPECT_EQ(r.height, height + band);
  EXPECT_EQ(r.band_height, band);
  const RgbPicture p = decode_jpeg(file);
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.width, width);
  EXPECT_EQ(p.height, height + band);
  expect_test_pattern(p, height);
  if (lines > 0) expect_band_with_text(p, height);
}

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct PictureCase {
  const char* label;
  int source_width, source_height;  // the camera mode
  int window_width, window_height;  // the preview's size
  bool recording;
};

void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.label; }

class SnapshotPictures : public ::testing::TestWithParam<PictureCase> {};

TEST_P(SnapshotPictures, AtTheCamerasSizeWithTheBandNotThePreviewsSize) {
  const PictureCase& c = GetParam();
  ScratchDir dir;
  Station s;
  s.cap.Resize(c.window_width, c.window_height);
  TGraphConfig config = s.config(dir.file("puits.avi"));
  config.VideoCompressorName = "JPEG image encoder";
  s.cap.ApplyConfig(&config);
  if (s.cap.GetCurrentVideoMode().Width != c.source_width) {
    for (int i = 0; i < s.cap.VideoModeCount(); ++i)
      if (s.cap.GetVideoMode(i).Width == c.source_width) config.VCapMode = s.cap.GetVideoMode(i);
    s.cap.ApplyConfig(&config);
  }
  ASSERT_EQ(s.cap.GetCurrentVideoMode().Width, c.source_width);
  ASSERT_TRUE(s.cap.Previewing()) << ::testing::PrintToString(s.reports());
  ASSERT_TRUE(s.run_until([&] { return s.surface.frames() >= 5; }));
  ASSERT_EQ(s.surface.last_width(), c.window_width);
  if (c.recording) {
    ASSERT_TRUE(s.cap.StartCapture(false)) << ::testing::PrintToString(s.reports());
    s.run_for(std::chrono::milliseconds(600));
  }

  const std::string photo = dir.file("puits 12.34m.jpg");
  expect_snapshot(s.cap.save_snapshot(photo, kLines), photo, c.source_width, c.source_height, kLines.size());
  EXPECT_EQ(s.surface.last_width(), c.window_width) << "the preview's size changed";
  const std::vector<std::string> expected = c.recording ? std::vector<std::string>{"puits 12.34m.jpg", "puits.avi"}
                                                        : std::vector<std::string>{"puits 12.34m.jpg"};
  EXPECT_EQ(entries(dir.file("")), expected) << "only the photo is new";

  if (c.recording) {
    s.run_for(std::chrono::milliseconds(800));
    EXPECT_TRUE(s.cap.Capturing());
    ASSERT_TRUE(s.cap.StopCapture()) << ::testing::PrintToString(s.reports());
    const Readback rb = read_back(dir.file("puits.avi"));
    ASSERT_TRUE(rb.ok) << rb.error;
    EXPECT_GE(rb.frames, 25u) << "the recording lost frames around the snapshot";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Station, SnapshotPictures,
    ::testing::Values(PictureCase{"previewing_640x480_shown_at_320x240", 640, 480, 320, 240, false},
                      PictureCase{"previewing_320x240_shown_at_800x600", 320, 240, 800, 600, false},
                      PictureCase{"recording_640x480_shown_at_320x240", 640, 480, 320, 240, true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Snapshot, NeverThroughAPlantedLinkNorOverAnExistingFile) {
  ScratchDir dir;
  const std::string victim = dir.file("victime.txt");
  std::ofstream(victim) << "ne pas toucher";
  Station s;
  TGraphConfig config = s.config(dir.file("puits.avi"));
  s.cap.ApplyConfig(&config);
  ASSERT_TRUE(s.run_until([&] { return s.surface.frames() >= 3; }));

  struct Planted {
    const char* name;
    const char* link_to;  // null: a plain file
  };
  for (const Planted& p :
       {Planted{"lien.jpg", "victime.txt"}, Planted{"lien-mort.jpg", "absent.jpg"}, Planted{"photo.jpg", nullptr}}) {
    SCOPED_TRACE(p.name);
    const std::string path = dir.file(p.name);
    if (p.link_to) {
      ASSERT_EQ(::symlink(p.link_to, path.c_str()), 0);
    } else {
      std::ofstream(path) << "ancienne photo";
    }
    const SnapshotResult r = s.cap.save_snapshot(path, kLines);
    EXPECT_EQ(r.status, SnapshotStatus::NameTaken);
    EXPECT_EQ(r.error, EEXIST);
    EXPECT_EQ(r.message,
              cannot_create_file_text(path) + " : ce nom est d\xE9j\xE0 pris (fichier ou lien d\xE9j\xE0 pr\xE9sent)");
    if (p.link_to) {
      EXPECT_TRUE(fs::is_symlink(path));
      EXPECT_EQ(fs::read_symlink(path).string(), p.link_to);
    } else {
      std::ifstream in(path);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "ancienne photo");
    }
  }
  std::ifstream in(victim);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "ne pas toucher");
  EXPECT_FALSE(fs::exists(dir.file("absent.jpg")));
  // The station carries on: another name is taken.
  expect_snapshot(s.cap.save_snapshot(dir.file("photo 2.jpg"), kLines), dir.file("photo 2.jpg"), 640, 480, 2);
  EXPECT_EQ(entries(dir.file("")),
            (std::vector<std::string>{"lien-mort.jpg", "lien.jpg", "photo 2.jpg", "photo.jpg", "victime.txt"}));
}

TEST(Snapshot, FullDiskFailsLeavesNothingAndTheRecordingGoesOn) {
  SmallDisk disk(1);
  if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  {
    // Fill it for real: the kernel says when it is full.
    std::ofstream fill(disk.path() / "remplissage", std::ios::binary);
    const std::string block(4096, 'x');
    while (fill.write(block.data(), block.size())) {
    }
  }
  ScratchDir dir;
  Station s;
  TGraphConfig config = s.config(dir.file("puits.avi"));
  config.VideoCompressorName = "JPEG image encoder";
  s.cap.ApplyConfig(&config);
  ASSERT_TRUE(s.cap.StartCapture(false)) << ::testing::PrintToString(s.reports());
  s.run_for(std::chrono::milliseconds(600));

  const std::string photo = (disk.path() / "puits 3.00m.jpg").string();
  const SnapshotResult r = s.cap.save_snapshot(photo, kLines);
  EXPECT_EQ(r.status, SnapshotStatus::WriteFailed);
  EXPECT_EQ(r.error, ENOSPC);
  EXPECT_EQ(r.message, cannot_create_file_text(photo) + " : plus de place sur le disque");
  EXPECT_EQ(entries(disk.path().string()), std::vector<std::string>{"remplissage"}) << "a partial file was left";

  s.run_for(std::chrono::milliseconds(1000));
  EXPECT_TRUE(s.cap.Capturing());
  EXPECT_TRUE(std::find(s.events.begin(), s.events.end(), "Aborted") == s.events.end());
  ASSERT_TRUE(s.cap.StopCapture()) << ::testing::PrintToString(s.reports());
  const Readback rb = read_back(dir.file("puits.avi"));
  ASSERT_TRUE(rb.ok) << rb.error;
  EXPECT_GE(rb.frames, 30u);
}

TEST(Snapshot, NoPictureWithoutALiveCamera) {
  ScratchDir dir;
  GstGraphBackend::Options options;
  options.stall_limit = std::chrono::milliseconds(800);
  Station s(options);
  TGraphConfig config = s.config(dir.file("puits.avi"));
  config.WantPreview = false;  // built, not started: no frame yet
  s.cap.ApplyConfig(&config);
  ASSERT_TRUE(s.cap.Built());
  const std::string photo = dir.file("photo.jpg");
  for (const SnapshotResult& r : {s.cap.save_snapshot(photo, kLines), s.backend.save_snapshot(photo, kLines)}) {
    EXPECT_EQ(r.status, SnapshotStatus::NoPicture);
    EXPECT_EQ(r.message, snapshot_no_picture().message);
  }

  config.WantPreview = true;
  s.cap.ApplyConfig(&config);
  ASSERT_TRUE(s.cap.Previewing()) << ::testing::PrintToString(s.reports());
  ASSERT_TRUE(s.run_until([&] { return s.surface.frames() >= 3; }));
  // A camera that stopped sending: its last frame is not a picture of now.
  freeze_test_pattern_sources(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  EXPECT_EQ(s.backend.save_snapshot(photo, kLines).status, SnapshotStatus::NoPicture);
  freeze_test_pattern_sources(false);
  EXPECT_FALSE(fs::exists(photo));
  EXPECT_EQ(entries(dir.file("")), std::vector<std::string>{});
}

// --- The encoder alone, on each kind of camera frame ---------------------------------------

// One frame of the colour-bar pattern as a camera of that format gives it.
GstSample* camera_frame(const std::string& format) {
  const std::string desc = "videotestsrc num-buffers=1 pattern=smpte ! " + format + " ! appsink name=sink";
  GError* err = nullptr;
  GstElement* pipeline = gst_parse_launch(desc.c_str(), &err);
  if (err) {
    ADD_FAILURE() << err->message;
    g_error_free(err);
    if (pipeline) gst_object_unref(pipeline);
    return nullptr;
  }
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 20 * GST_SECOND);
  gst_object_unref(sink);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
  return sample;
}

struct FormatCase {
  const char* label;
  const char* format;  // what follows the test source
  int width, height;
  std::vector<std::string> lines;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.label; }

class SnapshotEncoder : public ::testing::TestWithParam<FormatCase> {};

TEST_P(SnapshotEncoder, EveryCameraFormatAtItsOwnSize) {
  const FormatCase& c = GetParam();
  ASSERT_TRUE(ensure_gstreamer());
  GstSample* frame = camera_frame(c.format);
  ASSERT_NE(frame, nullptr);
  const EncodedSnapshot jpeg = encode_snapshot(frame, c.lines);
  gst_sample_unref(frame);
  ASSERT_TRUE(jpeg.ok) << jpeg.error;
  ScratchDir dir;
  const std::string file = dir.file("photo.jpg");
  std::ofstream(file, std::ios::binary) << jpeg.jpeg;
  SnapshotResult as_saved;
  as_saved.status = SnapshotStatus::Saved;
  as_saved.width = jpeg.width;
  as_saved.height = jpeg.height;
  as_saved.band_height = jpeg.band_height;
  expect_snapshot(as_saved, file, c.width, c.height, c.lines.size());
}

INSTANTIATE_TEST_SUITE_P(
    Formats, SnapshotEncoder,
    ::testing::Values(FormatCase{"raw_yuy2", "video/x-raw,format=YUY2,width=640,height=480", 640, 480, kLines},
                      FormatCase{"mjpeg", "video/x-raw,width=1280,height=720 ! jpegenc", 1280, 720, kLines},
                      FormatCase{
                          "dv_pal_interlaced",
                          "video/x-raw,format=I420,width=720,height=576,framerate=25/1,interlace-mode=interleaved ! "
                          "avenc_dvvideo",
                          720, 576, kLines},
                      // Markup characters and bytes that are not UTF-8 are shown, never taken for markup.
                      FormatCase{"markup_and_bad_bytes",
                                 "video/x-raw,width=720,height=576",
                                 720,
                                 576,
                                 {"Puits <Nord> & \"Sud\"", "caract\xE8re Latin-1", "<b>gras</b> &amp;", "ligne 4"}},
                      FormatCase{"no_lines_no_band", "video/x-raw,width=720,height=576", 720, 576, {}}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace wellvue::gst::testing
