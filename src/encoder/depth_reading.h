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
  // As computed, unrounded: the texts round it once, to the centimetre ("12.34m"), the depth
  // record to the millimetre; rounding it twice would shift a depth by a centimetre.
  double depth_m = 0.0;
  std::optional<double> water_depth_m;  // none without a water zero; negative above it

  // The depth in whole millimetres, rounded to the nearest.
  std::int64_t depth_mm() const;
};

// The depth and the water depth as the station shows them: "12.34m    w_3.21m", or "12.34m      ---"
// without a water zero or above it.
std::string depth_reading_text(const DepthReading& reading);

}  // namespace wellvue
