#include "review/depth_track.h"

#include <algorithm>
#include <cmath>

#include "util/depth_text.h"

namespace wellvue {

namespace {

// Depths are written to the millimetre: closer than this is the same depth.
constexpr double kSameDepth = 0.0005;
// The board sends a line every 100 ms or so: readings further apart than this have a gap between
// them, over which the camera's passage is interpolated.
constexpr std::int64_t kReadingGapMs = 250;

}  // namespace

DepthTrack::DepthTrack(std::vector<DepthPoint> points) : points_(std::move(points)) {
  std::stable_sort(points_.begin(), points_.end(),
                   [](const DepthPoint& a, const DepthPoint& b) { return a.ms < b.ms; });
  if (points_.empty()) return;
  min_ = max_ = points_.front().depth_m;
  for (const DepthPoint& p : points_) {
    min_ = std::min(min_, p.depth_m);
    max_ = std::max(max_, p.depth_m);
  }
}

std::optional<double> DepthTrack::depth_at(std::int64_t ms) const {
  if (points_.empty()) return std::nullopt;
  auto after = std::upper_bound(points_.begin(), points_.end(), ms,
                                [](std::int64_t t, const DepthPoint& p) { return t < p.ms; });
  if (after == points_.begin()) return points_.front().depth_m;
  return std::prev(after)->depth_m;
}

std::optional<double> DepthTrack::first_down(double d) const {
  for (std::size_t i = 0; i < points_.size(); ++i) {
    const DepthPoint& p = points_[i];
    if (p.depth_m + kSameDepth < d) continue;
    if (i == 0 || std::abs(p.depth_m - d) <= kSameDepth) return static_cast<double>(p.ms);
    const DepthPoint& q = points_[i - 1];
    // Readings at the board's pace: the first frame showing the reading there. Far apart (the
    // board was lost, a sparse track), the camera passed the depth in between.
    if (p.ms - q.ms <= kReadingGapMs) return static_cast<double>(p.ms);
    return q.ms + (d - q.depth_m) / (p.depth_m - q.depth_m) * static_cast<double>(p.ms - q.ms);
  }
  return std::nullopt;
}

std::optional<double> DepthTrack::last_up(double d) const {
  for (std::size_t i = points_.size(); i-- > 1;) {
    const DepthPoint& p = points_[i];      // shallower than d...
    const DepthPoint& q = points_[i - 1];  // ...after a reading at or below it
    if (!(p.depth_m + kSameDepth < d && q.depth_m + kSameDepth >= d)) continue;
    // The reading at or below it stands until the next one: its last frame is just before.
    if (std::abs(q.depth_m - d) <= kSameDepth || p.ms - q.ms <= kReadingGapMs)
      return std::max<double>(static_cast<double>(q.ms), static_cast<double>(p.ms - 1));
    return q.ms + (q.depth_m - d) / (q.depth_m - p.depth_m) * static_cast<double>(p.ms - q.ms);
  }
  return std::nullopt;
}

std::optional<DepthSeek> DepthTrack::seek(double depth_m, PassDirection direction, double frame_ms) const {
  if (points_.empty()) return std::nullopt;
  if (frame_ms <= 0) frame_ms = 40;
  DepthSeek out;
  out.depth_m = depth_m;
  if (depth_m > max_ + kSameDepth || depth_m < min_ - kSameDepth) {
    out.reached = false;
    out.depth_m = depth_m > max_ ? max_ : min_;
    out.note = "La profondeur " + depth_text(depth_m) + " n'a pas \xE9t\xE9 atteinte : la plus proche est " +
               depth_text(out.depth_m) + ".";
  }
  std::optional<double> t;
  if (direction == PassDirection::Ascent) {
    t = last_up(out.depth_m);
    if (t) {
      out.ms = frame_at_or_before(*t, frame_ms);
      return out;
    }
    // Never back above that depth (the recording ended below it, or that is the start's depth):
    // its last moment there is at the end, or its first one on the way down.
    if (points_.back().depth_m + kSameDepth >= out.depth_m) {
      out.ms = frame_at_or_before(static_cast<double>(points_.back().ms), frame_ms);
      if (out.note.empty())
        out.note =
            "La cam\xE9ra n'est pas remont\xE9"
            "e au-dessus de " +
            depth_text(out.depth_m) + " : derni\xE8re mesure de l'enregistrement.";
      return out;
    }
  }
  t = first_down(out.depth_m);
  out.ms = frame_at_or_after(t.value_or(0.0), frame_ms);
  return out;
}

std::int64_t frame_at_or_before(double ms, double frame_ms) {
  if (ms <= 0) return 0;
  // A time a hair under a frame boundary from rounding still names that frame.
  return static_cast<std::int64_t>(std::llround(std::floor(ms / frame_ms + 1e-6) * frame_ms));
}

std::int64_t frame_at_or_after(double ms, double frame_ms) {
  if (ms <= 0) return 0;
  return static_cast<std::int64_t>(std::llround(std::ceil(ms / frame_ms - 1e-6) * frame_ms));
}

}  // namespace wellvue
