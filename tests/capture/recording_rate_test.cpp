// The disk rate of a recording per compressor and mode, for the free-space check.
#include "capture/recording_rate.h"

#include <gtest/gtest.h>

namespace wellvue {
namespace {

struct RateCase {
  const char* compressor;
  int width, height;
  double fps;
  std::uint64_t low, high;  // the estimate lies in [low, high]
};

TEST(EstimatedBytesPerSecond, PerCompressorAndMode) {
  const RateCase cases[] = {
      // DV is 3.6 MB/s whatever the mode says.
      {"DV Video Encoder", 720, 576, 25, 3'600'000, 3'600'000},
      {"DV Video Encoder", 720, 480, 29.97, 3'600'000, 3'600'000},
      {"dv video encoder", 0, 0, 0, 3'600'000, 3'600'000},
      // Uncompressed YUY2: two bytes a pixel, plus 24 bytes of chunk header and index a frame.
      {"", 640, 480, 25, (640 * 480 * 2 + 24) * 25, (640 * 480 * 2 + 24) * 25},
      {"", 1920, 1080, 30, (1920ull * 1080 * 2 + 24) * 30, (1920ull * 1080 * 2 + 24) * 30},
      // Motion JPEG: about two bits a pixel, well under raw.
      {"JPEG image encoder", 640, 480, 25, 1'500'000, 2'000'000},
      {"libav MJPEG (Motion JPEG) encoder", 640, 480, 25, 1'500'000, 2'000'000},
      // Lossless codecs take far more than motion JPEG, inter-frame codecs far less.
      {"libav Huffyuv / HuffYUV encoder", 640, 480, 25, 8'000'000, 12'000'000},
      {"libav Lossless JPEG encoder", 640, 480, 25, 7'000'000, 8'000'000},
      {"PNG image encoder", 640, 480, 25, 8'000'000, 12'000'000},
      {"libav MPEG-4 part 2 encoder", 640, 480, 25, 400'000, 600'000},
      {"On2 VP8 Encoder", 640, 480, 25, 400'000, 600'000},
      // An encoder not known here: as much as motion JPEG, never nothing.
      {"Some New Encoder", 640, 480, 25, 1'500'000, 2'000'000},
      // No mode to estimate from.
      {"JPEG image encoder", 0, 480, 25, 0, 0},
      {"", 640, 480, 0, 0, 0},
  };
  for (const RateCase& c : cases) {
    const std::uint64_t got = EstimatedBytesPerSecond(c.compressor, c.width, c.height, c.fps);
    EXPECT_GE(got, c.low) << c.compressor << " " << c.width << "x" << c.height << "@" << c.fps;
    EXPECT_LE(got, c.high) << c.compressor << " " << c.width << "x" << c.height << "@" << c.fps;
  }
  // Raw is exact for another pixel depth too (RGB24 from a tap, I420 at 12 bits).
  EXPECT_EQ(EstimatedBytesPerSecond("", 640, 480, 25, 24), (640u * 480 * 3 + 24) * 25);
  EXPECT_EQ(EstimatedBytesPerSecond("", 640, 480, 25, 12), (640u * 480 * 3 / 2 + 24) * 25);
}

}  // namespace
}  // namespace wellvue
