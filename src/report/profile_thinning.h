// Fewer points of a descent profile for a plot: per time slice the first, the shallowest and the
// deepest point are kept, so that pauses and turn-arounds keep their shape.
#pragma once
#include <cstddef>
#include <vector>

#include "report/report_content.h"

namespace wellvue {

// points in time order; at most about 3 * slices points come back, the first and last included.
std::vector<ProfilePoint> thin_profile(const std::vector<ProfilePoint>& points, std::size_t slices);

}  // namespace wellvue
