#include "subtitles/depth_fix_srt.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "subtitles/time_codes.h"
#include "util/depth_text.h"
#include "util/numbers.h"
#include "util/time_code.h"

namespace wellvue {
namespace {

constexpr std::int64_t kFrameMs = 40;
// A depth text (two decimals) shows a row's depth (three decimals) when they differ by rounding only.
constexpr double kSameDepth = 0.0056;
// Depths of more than five integer digits are not a well's: the digits before are the name's.
constexpr std::size_t kMaxIntegerDigits = 5;

// The splits of a depth number whose integer digits may run into the name before it: every split
// is a candidate, the one nearest the row's depth wins.
struct NumberText {
  std::size_t end = 0;  // one past the last decimal
  char mark = '.';
  struct Candidate {
    std::size_t begin;
    double value;
  };
  std::vector<Candidate> candidates;

  const Candidate& nearest(double to) const {
    return *std::min_element(candidates.begin(), candidates.end(), [&](const Candidate& a, const Candidate& b) {
      return std::fabs(a.value - to) < std::fabs(b.value - to);
    });
  }
};

NumberText splits_of(std::string_view line, const DepthTextAt& at) {
  NumberText n;
  n.end = at.end;
  n.mark = at.mark;
  const std::size_t mark = line.find(at.mark, at.begin);
  for (std::size_t k = 1; k <= kMaxIntegerDigits && k <= mark - at.begin; ++k) {
    const std::size_t begin = mark - k;
    if (line[begin] == '-') break;
    const double value = read_decimal(line.substr(begin, at.end - begin), at.mark).value_or(0);
    n.candidates.push_back({begin, value});
    if (begin > 0 && line[begin - 1] == '-') n.candidates.push_back({begin - 1, -value});
  }
  return n;
}

enum class Kind { line, curb_zero, water_zero };

struct DepthLine {
  Kind kind = Kind::line;
  NumberText depth;
  std::optional<NumberText> water;
};

std::optional<DepthLine> depth_line(std::string_view line) {
  const auto shown = read_srt_depth_line(line);
  if (!shown) return std::nullopt;
  DepthLine d;
  d.kind = shown->kind == SrtDepthKind::curb_zero    ? Kind::curb_zero
           : shown->kind == SrtDepthKind::water_zero ? Kind::water_zero
                                                     : Kind::line;
  d.depth = splits_of(line, shown->depth);
  if (d.depth.candidates.empty()) return std::nullopt;
  // The water text has no name before it: only its whole number.
  if (shown->water) d.water = NumberText{shown->water->end, shown->water->mark, {{shown->water->begin, shown->water->metres}}};
  return d;
}

const char* event_of(Kind k) {
  switch (k) {
    case Kind::curb_zero:
      return "curb_zero";
    case Kind::water_zero:
      return "water_zero";
    default:
      return "line";
  }
}

std::string trimmed(std::string_view s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

struct TimeLine {
  std::int64_t start = 0, end = 0;
};

std::optional<TimeLine> time_line(std::string_view line) {
  const auto arrow = line.find(kTimeLineSeparator);
  if (arrow == std::string_view::npos) return std::nullopt;
  const auto start = time_code_to_ms(trimmed(line.substr(0, arrow)));
  const auto end = time_code_to_ms(trimmed(line.substr(arrow + kTimeLineSeparator.size())));
  if (!start || !end) return std::nullopt;
  return TimeLine{*start, *end};
}

struct Line {
  std::size_t begin, end;  // the text without its line end
};

std::vector<Line> lines_of(std::string_view text) {
  std::vector<Line> out;
  std::size_t begin = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    out.push_back({begin, i});
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    begin = i + 1;
  }
  if (begin < text.size()) out.push_back({begin, text.size()});
  return out;
}

// The rows of one kind in the record's order, and how far the entries have used them.
struct RowsOfKind {
  std::vector<std::size_t> rows;
  std::size_t next = 0;
};

}  // namespace

SrtDepthRewrite rewrite_srt_depths(std::string_view srt, const DepthRecordText& record,
                                   const std::vector<CorrectedRow>& corrected) {
  RowsOfKind kinds[3];
  for (std::size_t i = 0; i < record.rows.size(); ++i) {
    for (int k = 0; k < 3; ++k)
      if (record.rows[i].event == event_of(static_cast<Kind>(k))) kinds[k].rows.push_back(i);
  }
  const auto near = [](std::int64_t ms, const TimeLine& t) {
    return std::llabs(ms - t.start) <= kFrameMs || std::llabs(ms - t.end) <= kFrameMs;
  };
  const auto shows = [&](const DepthLine& d, std::size_t row) {
    if (d.kind != Kind::line && d.kind != Kind::water_zero) return true;  // a curb zero shows the start depth
    const double depth = record.rows[row].depth_m;
    return std::fabs(d.depth.nearest(depth).value - depth) <= kSameDepth;
  };

  auto match = [&](const DepthLine& d, const TimeLine& t) -> std::optional<std::size_t> {
    RowsOfKind& k = kinds[static_cast<int>(d.kind)];
    const auto& rows = record.rows;
    // Rows too early for this entry are too early for every later one.
    while (k.next < k.rows.size() && rows[k.rows[k.next]].video_ms < std::min(t.start, t.end) - kFrameMs) ++k.next;
    std::optional<std::size_t> first_near;
    for (std::size_t j = k.next; j < k.rows.size(); ++j) {
      const std::int64_t ms = rows[k.rows[j]].video_ms;
      if (ms > std::max(t.start, t.end) + kFrameMs) break;
      if (!near(ms, t)) continue;
      if (shows(d, k.rows[j])) {
        k.next = j + 1;
        return k.rows[j];
      }
      if (!first_near) first_near = j;
    }
    if (first_near) {
      k.next = *first_near + 1;
      return k.rows[*first_near];
    }
    // The closing entry repeats the depth shown last: the last row of its kind at its start.
    const auto last = std::upper_bound(k.rows.begin(), k.rows.end(), t.start + kFrameMs,
                                       [&](std::int64_t ms, std::size_t r) { return ms < rows[r].video_ms; });
    if (last != k.rows.begin() && shows(d, *(last - 1))) return *(last - 1);
    return std::nullopt;
  };

  SrtDepthRewrite out;
  out.text.reserve(srt.size());
  std::size_t copied = 0;
  const auto replace = [&](std::size_t from, std::size_t to, const std::string& with) {
    out.text.append(srt.substr(copied, from - copied));
    out.text += with;
    copied = to;
  };

  const std::vector<Line> lines = lines_of(srt);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto t = time_line(srt.substr(lines[i].begin, lines[i].end - lines[i].begin));
    if (!t) continue;
    bool any = false, matched = false;
    for (std::size_t j = i + 1; j < lines.size() && lines[j].end > lines[j].begin; ++j) {
      const std::string_view text = srt.substr(lines[j].begin, lines[j].end - lines[j].begin);
      const auto d = depth_line(text);
      if (!d) continue;
      any = true;
      const auto row = match(*d, *t);
      if (!row) continue;
      matched = true;
      const DepthRecordRow& r = record.rows[*row];
      const CorrectedRow& c = corrected[*row];
      // The value the text stands for: the row's own when the text shows it, the text's otherwise.
      const auto& depth = d->depth.nearest(r.depth_m);
      double value;
      if (d->kind == Kind::curb_zero) {
        value = depth.value + (c.model_after - c.model_before);
      } else {
        value = std::fabs(depth.value - r.depth_m) <= kSameDepth ? c.depth_m : depth.value + (c.depth_m - r.depth_m);
      }
      replace(lines[j].begin + depth.begin, lines[j].begin + d->depth.end, depth_number_text(value, d->depth.mark));
      if (d->water && r.water_depth_m && c.water_depth_m) {
        const auto& w = d->water->candidates.front();
        const double wv = std::fabs(w.value - *r.water_depth_m) <= kSameDepth
                              ? *c.water_depth_m
                              : w.value + (*c.water_depth_m - *r.water_depth_m);
        replace(lines[j].begin + w.begin, lines[j].begin + d->water->end, depth_number_text(wv, d->water->mark));
      }
    }
    if (matched) ++out.entries_rewritten;
    else if (any) ++out.entries_without_row;
  }
  out.text.append(srt.substr(copied));
  return out;
}

}  // namespace wellvue
