#include "capture/recording_rate.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace wellvue {

namespace {

constexpr std::uint64_t kDvBytesPerSecond = 3600000;
// A compressed picture of a well (dark water, a lit wall) rarely takes more than half a byte per
// pixel, even with an intra-frame codec at a high quality.
constexpr double kCompressedBytesPerPixel = 0.5;
// Lossless codecs keep about half of the raw 24-bit picture.
constexpr double kLosslessBytesPerPixel = 1.5;
// Each frame and its index entry carry a few dozen bytes of AVI framing.
constexpr double kFrameOverhead = 32;

std::string lower(const std::string& s) {
  std::string out = s;
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

bool names_any(const std::string& name, std::initializer_list<const char*> words) {
  return std::any_of(words.begin(), words.end(), [&](const char* w) { return name.find(w) != std::string::npos; });
}

}  // namespace

std::uint64_t EstimatedBytesPerSecond(const std::string& compressor_name, int width, int height, double fps) {
  const std::string name = lower(compressor_name);
  if (name.find("dv") == 0 || names_any(name, {"dv video", "dvvideo"})) return kDvBytesPerSecond;
  if (width <= 0 || height <= 0) {
    width = 640;
    height = 480;
  }
  if (!std::isfinite(fps) || fps <= 0) fps = 25;
  const double pixels = static_cast<double>(width) * static_cast<double>(height);
  double per_frame = 0;
  if (name.empty()) {
    // Raw 24-bit rows, each padded to four bytes as AVI stores them.
    const double row = std::ceil(static_cast<double>(width) * 3 / 4) * 4;
    per_frame = row * height;
  } else if (names_any(name, {"png", "lossless", "ljpeg", "ffv1", "huffyuv"})) {
    per_frame = pixels * kLosslessBytesPerPixel;
  } else {
    per_frame = pixels * kCompressedBytesPerPixel;
  }
  return static_cast<std::uint64_t>(std::ceil((per_frame + kFrameOverhead) * fps));
}

}  // namespace wellvue
