#include "graph_config_fixture.h"

namespace wellvue::testing {

void expect_same_record(const TGraphConfig& a, const TGraphConfig& b) {
  EXPECT_EQ(a.VideoSourceName, b.VideoSourceName);
  EXPECT_EQ(a.AudioSourceName, b.AudioSourceName);
  EXPECT_EQ(a.VideoCompressorName, b.VideoCompressorName);
  EXPECT_EQ(a.AudioCompressorName, b.AudioCompressorName);
  EXPECT_EQ(a.ACapMode.MajorType, b.ACapMode.MajorType);
  EXPECT_EQ(a.ACapMode.SubType, b.ACapMode.SubType);
  EXPECT_EQ(a.ACapMode.SamplesPerSec, b.ACapMode.SamplesPerSec);
  EXPECT_EQ(a.ACapMode.BitsPerSample, b.ACapMode.BitsPerSample);
  EXPECT_EQ(a.ACapMode.Channels, b.ACapMode.Channels);
  EXPECT_EQ(a.ACapMode.AvgBytesPerSec, b.ACapMode.AvgBytesPerSec);
  EXPECT_EQ(a.VCapMode.MajorType, b.VCapMode.MajorType);
  EXPECT_EQ(a.VCapMode.SubType, b.VCapMode.SubType);
  EXPECT_EQ(a.VCapMode.Width, b.VCapMode.Width);
  EXPECT_EQ(a.VCapMode.Height, b.VCapMode.Height);
  EXPECT_EQ(a.VCapMode.BitCount, b.VCapMode.BitCount);
  EXPECT_EQ(a.VCapMode.FrameRate, b.VCapMode.FrameRate);
  EXPECT_EQ(a.VCapMode.MinFrameRate, b.VCapMode.MinFrameRate);
  EXPECT_EQ(a.VCapMode.MaxFrameRate, b.VCapMode.MaxFrameRate);
  EXPECT_EQ(a.VideoCompressorState, b.VideoCompressorState);
  EXPECT_EQ(a.WantCapture, b.WantCapture);
  EXPECT_EQ(a.WantPreview, b.WantPreview);
  EXPECT_EQ(a.WantBitmaps, b.WantBitmaps);
  EXPECT_EQ(a.WantAudio, b.WantAudio);
  EXPECT_EQ(a.WantDVAudio, b.WantDVAudio);
  EXPECT_EQ(a.WantAudioPreview, b.WantAudioPreview);
  EXPECT_EQ(a.BitmapPixelFormat, b.BitmapPixelFormat);
  EXPECT_EQ(a.DVResolution, b.DVResolution);
  EXPECT_EQ(a.CaptureFileName, b.CaptureFileName);
  EXPECT_EQ(a.UseTempFile, b.UseTempFile);
  EXPECT_EQ(a.TempCaptureFileName, b.TempCaptureFileName);
  EXPECT_EQ(a.DoPreallocFile, b.DoPreallocFile);
  EXPECT_EQ(a.PreallocFileSize, b.PreallocFileSize);
}

}  // namespace wellvue::testing
