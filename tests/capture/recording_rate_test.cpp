// The disk rate of a recording by compressor and picture.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "capture/recording_rate.h"

namespace wellvue {
namespace {

TEST(RecordingRate, ByCompressorAndPicture) {
  struct Case {
    const char* name;
    const char* compressor;
    int width, height;
    double fps;
    std::uint64_t expected;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      // DV is a fixed-rate stream whatever the picture.
      {"DV", "DV Video Encoder", 720, 576, 25, 3600000},
      {"DV, no mode known", "DV Video Encoder", 0, 0, 0, 3600000},
      // Raw: 24-bit rows padded to four bytes, plus the frame's framing.
      {"raw PAL", "", 720, 576, 25, (720 * 3 * 576 + 32) * 25},
      {"raw, odd width pads its rows", "", 641, 480, 10, (1924 * 480 + 32) * 10},
      {"raw NTSC rate rounds up", "", 640, 480, 30000.0 / 1001, 27621339},
      // Compressed: half a byte per pixel.
      {"MJPEG", "JPEG image encoder", 640, 480, 25, (640 * 480 / 2 + 32) * 25},
      {"other codec", "VP8 Encoder", 1280, 720, 30, (1280 * 720 / 2 + 32) * 30},
      {"lossless", "PNG image encoder", 640, 480, 25, (640 * 480 * 3 / 2 + 32) * 25},
      // A mode that is not known is taken as 640 x 480 at 25 frames a second.
      {"no size", "JPEG image encoder", 0, 480, 25, (640 * 480 / 2 + 32) * 25},
      {"no rate", "", 640, 480, nan, (640 * 3 * 480 + 32) * 25},
      {"negative rate", "", 640, 480, -5, (640 * 3 * 480 + 32) * 25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EstimatedBytesPerSecond(c.compressor, c.width, c.height, c.fps), c.expected);
  }
}

}  // namespace
}  // namespace wellvue
