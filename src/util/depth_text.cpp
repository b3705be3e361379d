#include "util/depth_text.h"

#include "util/numbers.h"

namespace wellvue {
namespace {

constexpr std::string_view kNoWater = "---";
constexpr std::string_view kWaterMark = "w_";
constexpr std::string_view kCurbStart = "margelle a zero....";
constexpr std::string_view kWaterZeroStart = "niveau d'eau a zero...(w)";
// The water depth at its own zero, a fixed text.
constexpr std::string_view kWaterZeroEnd = " w 0.00m";

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view without_trailing_blanks(std::string_view t) {
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return t;
}

// The depth number that ends at `end`: digits, a point or a comma, digits, a minus sign before.
std::optional<DepthTextAt> number_ending_at(std::string_view line, std::size_t end) {
  if (end > line.size()) return std::nullopt;
  std::size_t mark_at = end;
  while (mark_at > 0 && is_digit(line[mark_at - 1])) --mark_at;
  if (mark_at == end || mark_at < 2) return std::nullopt;
  const char mark = line[--mark_at];
  if (mark != '.' && mark != ',') return std::nullopt;
  std::size_t begin = mark_at;
  while (begin > 0 && is_digit(line[begin - 1])) --begin;
  if (begin == mark_at) return std::nullopt;
  if (begin > 0 && line[begin - 1] == '-') --begin;
  const auto metres = read_decimal(line.substr(begin, end - begin), mark);
  if (!metres) return std::nullopt;
  return DepthTextAt{begin, end, mark, *metres == 0 ? 0.0 : *metres};
}

// The number of a depth text "<number>m" that ends the text.
std::optional<DepthTextAt> depth_ending(std::string_view text) {
  if (text.empty() || text.back() != 'm') return std::nullopt;
  return number_ending_at(text, text.size() - 1);
}

}  // namespace

std::string depth_text(double metres) { return format_pattern(metres, "0.00m"); }

std::string spaced_depth_text(double metres) { return format_pattern(metres, " 0.00 m"); }

std::string depth_number_text(double metres, char mark) { return format_pattern_with(metres, "0.00", mark); }

std::string french_depth_text(double metres) { return format_pattern_with(metres, "0.00 m", ','); }

std::string record_depth_text(double metres) { return fixed_text(metres, 3); }

std::optional<double> read_depth_text(std::string_view text) {
  const auto d = depth_ending(text);
  if (!d || d->begin != 0) return std::nullopt;
  return d->metres;
}

std::optional<SrtDepthLine> read_srt_depth_line(std::string_view line) {
  line = without_trailing_blanks(line);
  SrtDepthLine out;
  if (line.starts_with(kWaterZeroStart)) {
    if (!line.ends_with(kWaterZeroEnd)) return std::nullopt;
    const auto d = depth_ending(line.substr(0, line.size() - kWaterZeroEnd.size()));
    if (!d || d->begin < kWaterZeroStart.size()) return std::nullopt;
    out.kind = SrtDepthKind::water_zero;
    out.depth = *d;
    return out;
  }
  if (line.starts_with(kCurbStart)) {
    if (!line.ends_with(" m")) return std::nullopt;
    const auto d = number_ending_at(line, line.size() - 2);
    if (!d || d->begin < kCurbStart.size()) return std::nullopt;
    out.kind = SrtDepthKind::curb_zero;
    out.depth = *d;
    return out;
  }
  // "<name><depth>m", then "---" or the water depth ("w_" before it in the station's layout).
  std::string_view depth_part = line;
  if (line.ends_with(kNoWater)) {
    depth_part = without_trailing_blanks(line.substr(0, line.size() - kNoWater.size()));
  } else if (const auto last = depth_ending(line)) {
    const std::string_view before = line.substr(0, last->begin);
    if (before.ends_with(kWaterMark)) {
      out.water = last;
      depth_part = without_trailing_blanks(before.substr(0, before.size() - kWaterMark.size()));
    } else if (before.ends_with(' ') && depth_ending(without_trailing_blanks(before))) {
      out.water = last;
      depth_part = without_trailing_blanks(before);
    }
  }
  const auto d = depth_ending(depth_part);
  if (!d) return std::nullopt;
  out.depth = *d;
  out.prefix = line.substr(0, d->begin);
  return out;
}

}  // namespace wellvue
