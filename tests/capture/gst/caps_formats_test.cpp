// Camera caps read as the engine's formats, and formats turned back into caps that select them.
#include "capture/gst/caps_formats.h"

#include <gtest/gtest.h>

#include "capture/cap_modes.h"
#include "capture/gst/gst_runtime.h"

namespace wellvue::gst {
namespace {

CapsPtr caps(const char* text) { return CapsPtr(gst_caps_from_string(text)); }

class CapsFormats : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ensure_gstreamer()); }
};

struct SubtypeCase {
  const char* media;
  const char* raw;
  Guid subtype;
  const char* text;  // VideoModeText of a 640x480 mode of that subtype with 16 bits
};

void PrintTo(const SubtypeCase& c, std::ostream* os) { *os << c.media << ' ' << c.raw; }

class SubtypeMapping : public CapsFormats, public ::testing::WithParamInterface<SubtypeCase> {};

TEST_P(SubtypeMapping, GoesBothWays) {
  const auto& p = GetParam();
  EXPECT_EQ(subtype_for(p.media, p.raw), p.subtype);
  const GstFormatName back = format_for_subtype(p.subtype);
  EXPECT_EQ(back.media_type, p.media);
  EXPECT_EQ(back.raw_format, p.raw);
  TVCapMode m;
  m.SubType = p.subtype;
  m.Width = 640;
  m.Height = 480;
  m.BitCount = 16;
  EXPECT_EQ(VideoModeText(m), p.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SubtypeMapping,
    ::testing::Values(SubtypeCase{"video/x-raw", "YUY2", guids::MEDIASUBTYPE_YUY2, "640x480x16b (YUY2)"},
                      SubtypeCase{"video/x-raw", "UYVY", guids::MEDIASUBTYPE_UYVY, "640x480x16b (UYVY)"},
                      SubtypeCase{"video/x-raw", "BGR", guids::MEDIASUBTYPE_RGB24, "640x480x16b (RGB24)"},
                      SubtypeCase{"video/x-raw", "BGRx", guids::MEDIASUBTYPE_RGB32, "640x480x16b (RGB32)"},
                      SubtypeCase{"video/x-raw", "BGRA", guids::MEDIASUBTYPE_ARGB32, "640x480x16b (ARGB32)"},
                      SubtypeCase{"video/x-raw", "RGB16", guids::MEDIASUBTYPE_RGB565, "640x480x16b (RGB565)"},
                      SubtypeCase{"video/x-raw", "RGB15", guids::MEDIASUBTYPE_RGB555, "640x480x16b (RGB555)"},
                      SubtypeCase{"video/x-raw", "I420", guids::MEDIASUBTYPE_I420, "640x480x16b"},
                      SubtypeCase{"video/x-raw", "NV12", guids::MEDIASUBTYPE_NV12, "640x480x16b"},
                      SubtypeCase{"image/jpeg", "", guids::MEDIASUBTYPE_MJPG, "640x480x16b"}));

TEST_F(CapsFormats, CameraCapsGiveOneModePerFormatAndSizeWithItsRateRange) {
  auto device = caps(
      "video/x-raw, format=YUY2, width=640, height=480, framerate={30/1, 15/1}; "
      "video/x-raw, format=YUY2, width=640, height=480, framerate=5/1; "
      "image/jpeg, width=1280, height=720, framerate=30/1; "
      "video/x-raw, format=NV12, width=[16, 1920], height=[16, 1080], framerate=[0/1, 2147483647/1]");
  const auto modes = video_capabilities(device.get());
  ASSERT_EQ(modes.size(), 3u);
  EXPECT_EQ(modes[0].format.subtype, guids::MEDIASUBTYPE_YUY2);
  EXPECT_EQ(modes[0].format.bit_count, 16);
  EXPECT_EQ(modes[0].format.avg_time_per_frame, 333333);  // the first rate the camera lists
  EXPECT_EQ(modes[0].capability.min_frame_interval, 333333);
  EXPECT_EQ(modes[0].capability.max_frame_interval, 2000000);
  EXPECT_EQ(modes[1].format.subtype, guids::MEDIASUBTYPE_MJPG);
  EXPECT_EQ(modes[1].format.width, 1280);
  EXPECT_EQ(modes[1].format.bit_count, 24);
  // A size range stands for its largest size; an unbounded rate says nothing.
  EXPECT_EQ(modes[2].format.width, 1920);
  EXPECT_EQ(modes[2].format.height, 1080);
  EXPECT_EQ(modes[2].format.bit_count, 12);
  EXPECT_EQ(modes[2].format.avg_time_per_frame, 0);
}

TEST_F(CapsFormats, SelectingAFormatTheCameraHasGivesFixedCaps) {
  auto device = caps("video/x-raw, format=YUY2, width=640, height=480, framerate={25/1, 15/1}");
  MediaFormat f = video_capabilities(device.get()).at(0).format;
  f.avg_time_per_frame = frame_interval(15, 1);
  CapsPtr chosen = caps_selecting_video(f, device.get());
  ASSERT_TRUE(chosen);
  EXPECT_TRUE(gst_caps_is_fixed(chosen.get()));
  const MediaFormat read = video_format_from_caps(chosen.get());
  EXPECT_EQ(read.subtype, guids::MEDIASUBTYPE_YUY2);
  EXPECT_EQ(read.avg_time_per_frame, 666667);
}

struct RejectCase {
  const char* label;
  Guid subtype;
  int width;
  std::int64_t interval;
};

void PrintTo(const RejectCase& c, std::ostream* os) { *os << c.label; }

class SelectingRejects : public CapsFormats, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(SelectingRejects, WhatTheCameraCannotGive) {
  auto device = caps("video/x-raw, format=YUY2, width=640, height=480, framerate={25/1, 15/1}");
  MediaFormat f;
  f.subtype = GetParam().subtype;
  f.width = GetParam().width;
  f.height = 480;
  f.avg_time_per_frame = GetParam().interval;
  EXPECT_FALSE(caps_selecting_video(f, device.get()));
}

INSTANTIATE_TEST_SUITE_P(Table, SelectingRejects,
                         ::testing::Values(RejectCase{"rate", guids::MEDIASUBTYPE_YUY2, 640, 333333},
                                           RejectCase{"size", guids::MEDIASUBTYPE_YUY2, 800, 400000},
                                           RejectCase{"format", guids::MEDIASUBTYPE_I420, 640, 400000},
                                           RejectCase{"unknown_subtype", Guid{}, 640, 400000},
                                           RejectCase{"no_size", guids::MEDIASUBTYPE_YUY2, 0, 400000}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(CapsFormats, MicrophoneRangesBecomeTheUsualPcmFormats) {
  auto device = caps("audio/x-raw, format={S16LE, F32LE}, rate=[8000, 48000], channels=[1, 2], layout=interleaved");
  const auto modes = audio_capabilities(device.get());
  ASSERT_EQ(modes.size(), 2u * 7u * 2u);
  const MediaFormat& first = modes.front().format;
  EXPECT_EQ(first.subtype, guids::MEDIASUBTYPE_PCM);
  EXPECT_EQ(first.bits_per_sample, 16);
  EXPECT_EQ(first.samples_per_sec, 8000);
  EXPECT_EQ(first.channels, 1);
  EXPECT_EQ(first.avg_bytes_per_sec, 16000);
  MediaFormat cd = first;
  cd.samples_per_sec = 44100;
  cd.channels = 2;
  CapsPtr chosen = caps_selecting_audio(cd, device.get());
  ASSERT_TRUE(chosen);
  EXPECT_EQ(audio_format_from_caps(chosen.get()).avg_bytes_per_sec, 176400);
}

}  // namespace
}  // namespace wellvue::gst
