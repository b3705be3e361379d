#include "capture/recording_rate.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace wellvue {
namespace {

constexpr std::uint64_t kDVBytesPerSecond = 3'600'000;  // 144 000 B x 25 (PAL), 120 000 B x 29.97 (NTSC)
constexpr double kFrameOverhead = 8 + 16;              // chunk header and idx1 entry

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool has_word(const std::string& text, const std::string& word) {
  for (auto p = text.find(word); p != std::string::npos; p = text.find(word, p + 1)) {
    const bool start = p == 0 || !std::isalnum(static_cast<unsigned char>(text[p - 1]));
    const std::size_t end = p + word.size();
    if (start && (end == text.size() || !std::isalnum(static_cast<unsigned char>(text[end])))) return true;
  }
  return false;
}

// Typical bits per pixel at the encoders' default settings, rounded up.
double bits_per_pixel(const std::string& name) {
  struct Kind {
    const char* word;
    double bits;
  };
  // First match wins: the more particular names before the general ones.
  static const Kind kKinds[] = {
      {"lossless jpeg", 8}, {"huffyuv", 12}, {"png", 12},        {"mjpeg", 2},    {"jpeg", 2},
      {"h.263", 0.5},       {"mpeg-4", 0.5}, {"windows media", 0.5}, {"vp8", 0.5}, {"vp9", 0.5},
      {"h.264", 0.5},       {"x264", 0.5},   {"theora", 0.5},
  };
  for (const Kind& k : kKinds)
    if (name.find(k.word) != std::string::npos) return k.bits;
  return 2;  // an encoder we do not know: as much as motion JPEG
}

}  // namespace

std::uint64_t EstimatedBytesPerSecond(const std::string& compressor_name, int width, int height, double fps,
                                      int raw_bits_per_pixel) {
  const std::string name = lower(compressor_name);
  if (has_word(name, "dv")) return kDVBytesPerSecond;
  if (width <= 0 || height <= 0 || !(fps > 0) || !std::isfinite(fps)) return 0;
  const double pixels = static_cast<double>(width) * height;
  const double frame = name.empty() ? std::ceil(pixels * raw_bits_per_pixel / 8) : pixels * bits_per_pixel(name) / 8;
  return static_cast<std::uint64_t>(std::ceil((frame + kFrameOverhead) * fps));
}

}  // namespace wellvue
