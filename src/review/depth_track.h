// The depth of a recording along its video time: the readings in force from their time on, where
// the camera first reached a depth going down or last left it going up, and the profile drawn from
// them. Built from the depth record's line rows, else from the depth texts of the SRT.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wellvue {

struct DepthPoint {
  std::int64_t ms = 0;  // video time
  double depth_m = 0.0;
};

enum class PassDirection { Descent, Ascent };

// Where a depth asked for was found.
struct DepthSeek {
  std::int64_t ms = 0;   // a frame time
  double depth_m = 0.0;  // the depth looked for, or the nearest reached when it never was
  bool reached = true;
  std::string note;  // French, CP1252; empty when the depth was found as asked
};

class DepthTrack {
 public:
  DepthTrack() = default;
  // Points in time order (a stable sort keeps rows of the same time in their file order).
  explicit DepthTrack(std::vector<DepthPoint> points);

  const std::vector<DepthPoint>& points() const { return points_; }
  bool empty() const { return points_.empty(); }
  double min_depth() const { return min_; }
  double max_depth() const { return max_; }
  std::int64_t end_ms() const { return points_.empty() ? 0 : points_.back().ms; }

  // The reading in force at `ms` (the last one at or before it; the first before it); none when
  // the track is empty.
  std::optional<double> depth_at(std::int64_t ms) const;

  // The first frame at `depth_m` going down (the first frame showing the first reading there;
  // interpolated between readings far apart) or the last frame there going up. A depth never reached gives the nearest
  // one reached, with a note. `frame_ms` is the length of a frame (40 at 25 images/s). Empty track: none.
  std::optional<DepthSeek> seek(double depth_m, PassDirection direction, double frame_ms) const;

 private:
  std::optional<double> first_down(double depth_m) const;
  std::optional<double> last_up(double depth_m) const;

  std::vector<DepthPoint> points_;
  double min_ = 0.0;
  double max_ = 0.0;
};

// The depth track of the depth texts ("12.34m", or with a comma) of SRT lines (CP1252): each
// entry's first depth stands from its start time on. Entries without a depth are skipped.
DepthTrack depth_track_from_srt(const std::vector<std::string>& lines);

// Frame times: the frame shown at `ms` (floor) and the first frame at or after it (ceil).
std::int64_t frame_at_or_before(double ms, double frame_ms);
std::int64_t frame_at_or_after(double ms, double frame_ms);

}  // namespace wellvue
