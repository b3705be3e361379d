// The depth track of a recording without its depth record: the SRT's own depth texts.
#include <cctype>
#include <cstdlib>
#include <string_view>

#include "review/depth_track.h"
#include "util/time_code.h"

namespace wellvue {

namespace {

// The first "<digits>[.,]<digits>m" of a text line (a minus sign allowed before it).
std::optional<double> first_depth(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) continue;
    if (i > 0 && (std::isdigit(static_cast<unsigned char>(line[i - 1])) || line[i - 1] == '.' || line[i - 1] == ','))
      continue;
    std::size_t j = i;
    while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j]))) ++j;
    if (j >= line.size() || (line[j] != '.' && line[j] != ',')) continue;
    std::size_t k = j + 1;
    while (k < line.size() && std::isdigit(static_cast<unsigned char>(line[k]))) ++k;
    if (k == j + 1 || k >= line.size() || line[k] != 'm') continue;
    std::string number(line.substr(i, k - i));
    number[j - i] = '.';
    double value = std::strtod(number.c_str(), nullptr);
    if (i > 0 && line[i - 1] == '-') value = -value;
    return value;
  }
  return std::nullopt;
}

}  // namespace

DepthTrack depth_track_from_srt(const std::vector<std::string>& lines) {
  std::vector<DepthPoint> points;
  static constexpr std::string_view kArrow = " --> ";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    const std::size_t arrow = line.find(kArrow);
    if (arrow == std::string_view::npos) continue;
    const auto start = time_code_to_ms(line.substr(0, arrow));
    if (!start) continue;
    // The entry's text runs to the blank line.
    for (std::size_t j = i + 1; j < lines.size() && !lines[j].empty(); ++j) {
      if (auto depth = first_depth(lines[j])) {
        points.push_back({*start, *depth});
        break;
      }
    }
  }
  return DepthTrack(std::move(points));
}

}  // namespace wellvue
