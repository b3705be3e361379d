#include "export/burn_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <regex>

#include "util/depth_text.h"
#include "util/numbers.h"

namespace wellvue::exporting {
namespace {

// Title line: the bore name, two blanks, the start "06/12/2026 17h19:33".
const std::regex& title_line() {
  static const std::regex re(R"(^(.*?)  ([0-9]{2})/([0-9]{2})/([0-9]{4}) ([0-9]{2})h([0-9]{2}):([0-9]{2}) *$)");
  return re;
}

// Blanks and no-break spaces (the station's stand-in for the default name) trimmed.
std::string bore_of(std::string s) {
  auto blank_at_end = [&] {
    if (!s.empty() && s.back() == ' ') return std::size_t{1};
    if (s.size() >= 2 && s.ends_with("\xC2\xA0")) return std::size_t{2};
    return std::size_t{0};
  };
  for (std::size_t n; (n = blank_at_end()) != 0;) s.resize(s.size() - n);
  std::size_t from = 0;
  while (from < s.size()) {
    if (s[from] == ' ') {
      ++from;
    } else if (s.compare(from, 2, "\xC2\xA0") == 0) {
      from += 2;
    } else {
      break;
    }
  }
  return s.substr(from);
}

// "2026-12-08 21:50:03"
std::optional<LocalDateTime> record_date(const DepthRecord& record) {
  const auto it = record.header.find("date");
  if (it == record.header.end()) return std::nullopt;
  const std::string_view text = it->second;
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':')
    return std::nullopt;
  const auto field = [&](std::size_t at, std::size_t n) { return read_whole<int>(text.substr(at, n)); };
  const auto y = field(0, 4), mo = field(5, 2), d = field(8, 2), h = field(11, 2), mi = field(14, 2), sec = field(17, 2);
  if (!y || !mo || !d || !h || !mi || !sec) return std::nullopt;
  return LocalDateTime{*y, *mo, *d, *h, *mi, *sec, 0};
}

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civil_from_days(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

// The text at ms, with `at` the depth shown then (none before the first).
std::string text_at(const BurnSource& source, std::int64_t ms, const DepthPoint* at) {
  std::string top = source.bore;
  if (source.start) top += (top.empty() ? "" : "   ") + date_time_text(*source.start, ms);
  std::string bottom;
  if (at) {
    bottom = "Profondeur " + french_depth_text(at->depth_m);
    if (at->water_m) bottom += "   Eau " + french_depth_text(*at->water_m);
  }
  if (top.empty()) return bottom;
  return bottom.empty() ? top : top + "\n" + bottom;
}

}  // namespace

std::string date_time_text(const LocalDateTime& start, std::int64_t ms) {
  const std::int64_t day_s = 86400;
  std::int64_t s =
      days_from_civil(start.year, static_cast<unsigned>(start.month), static_cast<unsigned>(start.day)) * day_s +
      start.hour * 3600 + start.minute * 60 + start.second + (ms >= 0 ? ms / 1000 : -((999 - ms) / 1000));
  std::int64_t days = s >= 0 ? s / day_s : -((day_s - 1 - s) / day_s);
  s -= days * day_s;
  int y = 0, m = 0, d = 0;
  civil_from_days(days, y, m, d);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", d, m, y, static_cast<int>(s / 3600),
                static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
  return buf;
}

BurnSource burn_source_from_track(const std::vector<Cue>& depth_track) {
  BurnSource source;
  bool bore_known = false;
  std::smatch m;
  if (!depth_track.empty()) {
    const std::string first = first_line(depth_track.front().text);
    if (std::regex_match(first, m, title_line())) {
      source.bore = bore_of(m[1]);
      LocalDateTime t;
      // The regular expression took two or four digits for each.
      const auto field = [&](int i) { return read_whole<int>(m[i].str()).value_or(0); };
      t.day = field(2);
      t.month = field(3);
      t.year = field(4);
      t.hour = field(5);
      t.minute = field(6);
      t.second = field(7);
      source.start = t;
      bore_known = true;
    }
  }
  for (const auto& cue : depth_track) {
    const std::string line = first_line(cue.text);
    const auto shown = read_srt_depth_line(line);
    // A curb zero shows the start depth, not the depth of its moment.
    if (!shown || shown->kind == SrtDepthKind::curb_zero) continue;
    if (!bore_known && shown->kind == SrtDepthKind::line) {
      source.bore = bore_of(std::string(shown->prefix));
      bore_known = true;
    }
    DepthPoint p{cue.start_ms, shown->depth.metres, std::nullopt};
    if (shown->water) p.water_m = shown->water->metres;
    if (shown->kind == SrtDepthKind::water_zero) p.water_m = 0.0;
    source.depths.push_back(p);
  }
  std::stable_sort(source.depths.begin(), source.depths.end(),
                   [](const DepthPoint& a, const DepthPoint& b) { return a.video_ms < b.video_ms; });
  return source;
}

BurnSource burn_source_from_record(const DepthRecord& record) {
  BurnSource source;
  if (const auto it = record.header.find("bore"); it != record.header.end() && it->second != "forage")
    source.bore = it->second;
  source.start = record_date(record);
  for (const DepthRow& row : record.rows) source.depths.push_back({row.video_ms, row.depth_m, row.water_depth_m});
  std::stable_sort(source.depths.begin(), source.depths.end(),
                   [](const DepthPoint& a, const DepthPoint& b) { return a.video_ms < b.video_ms; });
  return source;
}

std::vector<Cue> burn_texts(const BurnSource& source, std::int64_t duration_ms) {
  std::vector<std::int64_t> moments{0};
  for (const auto& p : source.depths)
    if (p.video_ms > 0 && p.video_ms < duration_ms) moments.push_back(p.video_ms);
  if (source.start)
    for (std::int64_t s = 1000; s < duration_ms; s += 1000) moments.push_back(s);
  std::sort(moments.begin(), moments.end());
  moments.erase(std::unique(moments.begin(), moments.end()), moments.end());
  std::vector<Cue> out;
  std::size_t next = 0;  // the first depth not shown yet
  for (std::size_t i = 0; i < moments.size() && moments[i] < duration_ms; ++i) {
    const std::int64_t end = i + 1 < moments.size() ? moments[i + 1] : duration_ms;
    while (next < source.depths.size() && source.depths[next].video_ms <= moments[i]) ++next;
    std::string text = text_at(source, moments[i], next > 0 ? &source.depths[next - 1] : nullptr);
    if (!out.empty() && out.back().text == text) {
      out.back().end_ms = end;
    } else {
      out.push_back({moments[i], end, std::move(text)});
    }
  }
  return out;
}

}  // namespace wellvue::exporting
