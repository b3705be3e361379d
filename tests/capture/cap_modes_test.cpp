#include <gtest/gtest.h>

#include <cmath>

#include "capture/cap_modes.h"
#include "capture/graph_config.h"
#include "capture/hresult.h"

namespace wellvue {
namespace {

MediaFormat video(const Guid& sub, int w, int h, int bits, const Guid& format = guids::FORMAT_VideoInfo) {
  MediaFormat m;
  m.major_type = guids::MEDIATYPE_Video;
  m.subtype = sub;
  m.format_type = format;
  m.width = w;
  m.height = h;
  m.bit_count = bits;
  return m;
}

TEST(VideoModeText, ShowsSizeDepthAndKnownSubtype) {
  struct Row {
    Guid sub;
    int w, h, bits;
    const char* text;
  } rows[] = {
      {guids::MEDIASUBTYPE_YUY2, 640, 480, 16, "640x480x16b (YUY2)"},
      {guids::MEDIASUBTYPE_RGB8, 320, 240, 8, "320x240x8b"},
      {guids::MEDIASUBTYPE_MJPG, 1280, 720, 24, "1280x720x24b"},
      {guids::MEDIASUBTYPE_ARGB32, 64, 48, 32, "64x48x32b (ARGB32)"},
      {guids::MEDIASUBTYPE_RGB555, 8, 8, 16, "8x8x16b (RGB555)"},
      {guids::MEDIASUBTYPE_Y41P, 8, 8, 12, "8x8x12b (Y41P)"},
      {guids::MEDIASUBTYPE_YUY2, 640, -480, 16, "640x480x16b (YUY2)"},  // top-down picture
  };
  for (const auto& r : rows) {
    const TVCapMode m = VideoModeFromMediaType(video(r.sub, r.w, r.h, r.bits), nullptr);
    EXPECT_EQ(VideoModeText(m), r.text);
  }
}

TEST(VideoModeFromMediaType, FrameRatesOnlyFromACapability) {
  MediaFormat mt = video(guids::MEDIASUBTYPE_YUY2, 640, 480, 16, guids::FORMAT_VideoInfo2);
  mt.avg_time_per_frame = 400000;
  const VideoCapability cap{333333, 1000000};
  const TVCapMode with = VideoModeFromMediaType(mt, &cap);
  EXPECT_DOUBLE_EQ(with.FrameRate, 25.0);
  EXPECT_DOUBLE_EQ(with.MinFrameRate, 10.0);
  EXPECT_NEAR(with.MaxFrameRate, 30.0, 1e-4);
  const TVCapMode without = VideoModeFromMediaType(mt, nullptr);
  EXPECT_EQ(without.FrameRate, 0);
  EXPECT_EQ(without.Width, 640);
  // A format block of another kind gives types only.
  mt.format_type = guids::FORMAT_WaveFormatEx;
  const TVCapMode other = VideoModeFromMediaType(mt, &cap);
  EXPECT_EQ(other.Width, 0);
  EXPECT_EQ(other.FrameRate, 0);
  EXPECT_EQ(other.SubType, guids::MEDIASUBTYPE_YUY2);
}

TEST(AudioModeText, PcmAndCompressed) {
  struct Row {
    Guid sub;
    int rate, bits, channels, bytes;
    const char* text;
  } rows[] = {
      {guids::MEDIASUBTYPE_PCM, 44100, 16, 2, 176400, "44100Hzx16bx2"},
      {guids::MEDIASUBTYPE_MJPG, 44100, 0, 2, 16000, "128kBits/s, 44100Hz, 2"},
      {guids::MEDIASUBTYPE_MJPG, 8000, 0, 1, 1999, "15kBits/s, 8000Hz, 1"},  // truncating division
  };
  for (const auto& r : rows) {
    MediaFormat mt;
    mt.major_type = guids::MEDIATYPE_Audio;
    mt.subtype = r.sub;
    mt.format_type = guids::FORMAT_WaveFormatEx;
    mt.samples_per_sec = r.rate;
    mt.bits_per_sample = r.bits;
    mt.channels = r.channels;
    mt.avg_bytes_per_sec = r.bytes;
    EXPECT_EQ(AudioModeText(AudioModeFromMediaType(mt)), r.text);
  }
}

TEST(SameMode, VideoIgnoresRatesAudioDependsOnSubtype) {
  TVCapMode a = VideoModeFromMediaType(video(guids::MEDIASUBTYPE_YUY2, 640, 480, 16), nullptr);
  TVCapMode b = a;
  b.FrameRate = 30;
  b.MajorType = guids::MEDIATYPE_Interleaved;
  EXPECT_TRUE(SameVideoMode(a, b));
  b.BitCount = 12;
  EXPECT_FALSE(SameVideoMode(a, b));

  struct Row {
    TACapMode a, b;
    bool same;
  };
  TACapMode pcm{guids::MEDIATYPE_Audio, guids::MEDIASUBTYPE_PCM, 44100, 16, 2, 176400};
  TACapMode pcm_rate = pcm;
  pcm_rate.AvgBytesPerSec = 1;  // not looked at for PCM
  TACapMode pcm_bits = pcm;
  pcm_bits.BitsPerSample = 8;
  TACapMode comp{guids::MEDIATYPE_Audio, guids::MEDIASUBTYPE_MJPG, 44100, 0, 2, 16000};
  TACapMode comp_bits = comp;
  comp_bits.BitsPerSample = 4;  // not looked at for compressed audio
  TACapMode comp_rate = comp;
  comp_rate.AvgBytesPerSec = 8000;
  MediaFormat not_wave;
  not_wave.subtype = guids::MEDIASUBTYPE_PCM;
  not_wave.format_type = guids::FORMAT_VideoInfo;
  const TACapMode zero = AudioModeFromMediaType(not_wave);
  const Row rows[] = {
      {pcm, pcm_rate, true}, {pcm, pcm_bits, false},    {comp, comp_bits, true}, {comp, comp_rate, false},
      {pcm, comp, false},    {zero, TACapMode{}, true}, {zero, pcm, false},
  };
  for (const auto& r : rows) EXPECT_EQ(SameAudioMode(r.a, r.b), r.same);
}

TEST(HResultHex, UpperCaseUnsignedWithoutLeadingZeros) {
  EXPECT_EQ(hresult_hex(E_FAIL), "80004005");
  EXPECT_EQ(hresult_hex(0), "0");
  EXPECT_EQ(hresult_hex(0x1F), "1F");
  EXPECT_EQ(hresult_hex(-1), "FFFFFFFF");
}

TEST(GraphConfig, ClearKeepsOnlyTheCompressorState) {
  TGraphConfig c;
  EXPECT_EQ(c.CaptureFileName, "capture.avi");
  EXPECT_EQ(c.TempCaptureFileName, "captemp.avi");
  EXPECT_TRUE(c.WantAudioPreview);
  EXPECT_EQ(c.DVResolution, dvrFull);
  EXPECT_EQ(c.BitmapPixelFormat, pf24bit);
  c.VideoSourceName = "cam";
  c.WantCapture = true;
  c.PreallocFileSize = 7;
  c.VCapMode.Width = 5;
  c.VideoCompressorState = std::string("\0\1x", 3);
  c.Clear();
  EXPECT_EQ(c.VideoSourceName, "");
  EXPECT_FALSE(c.WantCapture);
  EXPECT_EQ(c.PreallocFileSize, 0u);
  EXPECT_EQ(c.VCapMode.Width, 0);
  EXPECT_EQ(c.VideoCompressorState, std::string("\0\1x", 3));
}

}  // namespace
}  // namespace wellvue
