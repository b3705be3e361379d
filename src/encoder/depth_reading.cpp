#include "encoder/depth_reading.h"

#include <cmath>

#include "util/depth_text.h"

namespace wellvue {

std::int64_t DepthReading::depth_mm() const { return std::llround(depth_m * 1000.0); }

std::string depth_reading_text(const DepthReading& r) {
  std::string water = "      ---";
  if (r.water_depth_m && *r.water_depth_m >= 0) water = "    w_" + depth_text(*r.water_depth_m);
  return depth_text(r.depth_m) + water;
}

}  // namespace wellvue
