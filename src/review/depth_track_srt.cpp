// The depth track of a recording without its depth record: the SRT's own depth texts.
#include <string_view>

#include "review/depth_track.h"
#include "util/depth_text.h"
#include "util/time_code.h"

namespace wellvue {

DepthTrack depth_track_from_srt(const std::vector<std::string>& lines) {
  std::vector<DepthPoint> points;
  static constexpr std::string_view kArrow = " --> ";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    const std::size_t arrow = line.find(kArrow);
    if (arrow == std::string_view::npos) continue;
    const auto start = time_code_to_ms(line.substr(0, arrow));
    if (!start) continue;
    // The entry's text runs to the blank line; a curb zero shows the start depth, not the depth.
    for (std::size_t j = i + 1; j < lines.size() && !lines[j].empty(); ++j) {
      const auto shown = read_srt_depth_line(lines[j]);
      if (shown && shown->kind != SrtDepthKind::curb_zero) {
        points.push_back({*start, shown->depth.metres});
        break;
      }
    }
  }
  return DepthTrack(std::move(points));
}

}  // namespace wellvue
