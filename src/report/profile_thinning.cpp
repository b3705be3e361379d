#include "report/profile_thinning.h"

#include <algorithm>

namespace wellvue {

std::vector<ProfilePoint> thin_profile(const std::vector<ProfilePoint>& points, std::size_t slices) {
  if (slices == 0 || points.size() <= 3 * slices) return points;
  const std::int64_t t0 = points.front().video_ms;
  const std::int64_t span = std::max<std::int64_t>(1, points.back().video_ms - t0);
  std::vector<ProfilePoint> out;
  out.reserve(3 * slices + 1);
  std::size_t i = 0;
  while (i < points.size()) {
    const auto slice = static_cast<std::size_t>((points[i].video_ms - t0) * static_cast<std::int64_t>(slices) / span);
    std::size_t first = i, low = i, high = i;
    std::size_t j = i + 1;
    for (; j < points.size(); ++j) {
      const auto s = static_cast<std::size_t>((points[j].video_ms - t0) * static_cast<std::int64_t>(slices) / span);
      if (s != slice) break;
      if (points[j].depth_m < points[low].depth_m) low = j;
      if (points[j].depth_m > points[high].depth_m) high = j;
    }
    // In their own time order, without repeats.
    std::size_t keep[3] = {first, low, high};
    std::sort(std::begin(keep), std::end(keep));
    for (std::size_t k = 0; k < 3; ++k)
      if (k == 0 || keep[k] != keep[k - 1]) out.push_back(points[keep[k]]);
    i = j;
  }
  if (out.back().video_ms != points.back().video_ms || out.back().depth_m != points.back().depth_m)
    out.push_back(points.back());
  return out;
}

}  // namespace wellvue
