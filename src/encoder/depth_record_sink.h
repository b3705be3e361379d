// What the encoder link tells a depth record while it acquires: every decoded line with its count
// and depths, and the events it makes itself, each timed on the track's clock. The default sink
// takes nothing.
#pragma once
#include <string>

#include "encoder/depth_reading.h"

namespace wellvue {

enum class DepthEvent { CurbZero, WaterZero, Calibration, CounterReset, EncoderLost, EncoderBack, DepthCorrection };

class DepthRecordSink {
 public:
  virtual ~DepthRecordSink() = default;
  virtual void line(const DepthReading& reading) { (void)reading; }
  // detail: the new circumference in mm per turn for Calibration, the shift in metres for
  // DepthCorrection ("+0.250", a point whatever the locale); empty otherwise.
  virtual void event(DepthEvent event, const DepthReading& reading, const std::string& detail) {
    (void)event, (void)reading, (void)detail;
  }
};

}  // namespace wellvue
