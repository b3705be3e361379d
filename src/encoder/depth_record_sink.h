// What the encoder link tells a depth record while it acquires: every decoded line with its count
// and depths, and the events it makes itself, each timed on the track's clock. The default sink
// takes nothing.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace wellvue {

struct DepthSample {
  // Milliseconds on the track's clock: the start of the line's subtitle entry, or the moment of
  // the event.
  std::int64_t track_ms = 0;
  std::optional<std::int64_t> raw;  // the board's count as the line gave it (before sign and offsets)
  std::int32_t tics = 0;
  double depth_m = 0.0;
  std::optional<double> water_depth_m;  // none without a water zero
};

enum class DepthEvent { CurbZero, WaterZero, Calibration, CounterReset, EncoderLost, EncoderBack };

class DepthRecordSink {
 public:
  virtual ~DepthRecordSink() = default;
  virtual void line(const DepthSample& sample) { (void)sample; }
  // detail: the new circumference in mm per turn for Calibration; empty otherwise.
  virtual void event(DepthEvent event, const DepthSample& sample, const std::string& detail) {
    (void)event, (void)sample, (void)detail;
  }
};

}  // namespace wellvue
