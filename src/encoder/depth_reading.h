// One reading of the encoder link, typed: what the board counted and the depths it gives, on the
// track's clock. The link publishes one per decoded line; windows, the depth record and the
// recording format it as they show it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace wellvue {

struct DepthReading {
  // Milliseconds on the track's clock (the video's during a recording): the start of the line's
  // subtitle entry, or the moment of an event.
  std::int64_t track_ms = 0;
  std::optional<std::int64_t> board_count;  // the count as the line gave it (before sign and offsets)
  std::int32_t tics = 0;
  std::int64_t depth_mm = 0;
  std::optional<std::int64_t> water_depth_mm;  // none without a water zero

  double depth_m() const { return static_cast<double>(depth_mm) / 1000.0; }
  std::optional<double> water_depth_m() const {
    if (!water_depth_mm) return std::nullopt;
    return static_cast<double>(*water_depth_mm) / 1000.0;
  }
};

// Millimetres of a depth in metres, rounded to the nearest.
std::int64_t millimetres(double metres);

// The depth and the water depth as the station shows them: "12.34m    w_3.21m", or "12.34m      ---"
// without a water zero or above it.
std::string depth_reading_text(const DepthReading& reading);

}  // namespace wellvue
