#include "depth_check.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "util/depth_text.h"
#include "util/numbers.h"

namespace wellvue::test {

namespace {

constexpr double kFrameMs = 40.0;

bool is_zeroing(const std::string& text) {
  return text.find("margelle a zero") != std::string::npos || text.find("eau a zero...(w)") != std::string::npos ||
         text.rfind("profondeur corrig", 0) == 0;
}

// The entry that shows a loss of the encoder's link, from the moment it went.
bool is_gap(const std::string& text) { return text.rfind("liaison encodeur perdue ", 0) == 0; }

// Entries without a line row of their own.
bool is_event_entry(const std::string& text) { return is_zeroing(text) || is_gap(text); }

// The moment a gap entry says the link went: "(hh:mm:ss,mmm à ...", in ms; -1 when it says none.
double gap_start_ms(const std::string& text) {
  int h = 0, m = 0, s = 0, ms = 0;
  const std::size_t at = text.find(" s (");
  if (at == std::string::npos || std::sscanf(text.c_str() + at, " s (%d:%d:%d,%d", &h, &m, &s, &ms) != 4) return -1;
  return ((h * 60.0 + m) * 60.0 + s) * 1000.0 + ms;
}

double number(const DepthRecord& r, const std::string& key) { return read_decimal(r.header.at(key)).value_or(0); }

}  // namespace

std::vector<DepthRow> rows_of(const DepthRecord& record, const std::string& event) {
  std::vector<DepthRow> rows;
  for (const auto& r : record.rows)
    if (r.event == event) rows.push_back(r);
  return rows;
}

std::string depth_record_problem(const DepthRecord& record, const std::vector<ParsedSubtitle>& all_subs, bool closed) {
  for (const char* key :
       {"bore", "date", "station", "circumference_mm_per_turn", "sign", "tics_per_turn", "curb_zero_tics",
        "start_depth_m", "depth_offset_m", "water_zero_tics", "compressor", "frame_rate"})
    if (!record.header.count(key)) return std::string("no header key ") + key;
  if (record.rows.empty() || record.rows.front().event != "start" || record.rows.front().video_ms != 0)
    return "the first row is not the start at 0";
  if (closed && record.rows.back().event != "stop") return "the last row is not the stop";

  // The depth model the record states, followed row by row.
  double circ_m = number(record, "circumference_mm_per_turn") / 1000.0;
  const double per_turn = number(record, "tics_per_turn");
  const double start = number(record, "start_depth_m");
  double offset = number(record, "depth_offset_m");
  double curb = number(record, "curb_zero_tics"), water = number(record, "water_zero_tics");

  std::vector<ParsedSubtitle> subs = all_subs;
  if (closed) {
    if (subs.size() < 2) return "no closing entries";
    subs.resize(subs.size() - 2);
  }
  std::vector<double> zeroing_starts;
  // Per gap entry: when it says the link went, and where it ends when the link came back (-1:
  // the acquisition ended first).
  std::vector<std::pair<double, double>> gaps;
  for (const auto& s : subs) {
    if (is_zeroing(s.text)) zeroing_starts.push_back(s.start_s * 1000.0);
    if (is_gap(s.text))
      gaps.emplace_back(gap_start_ms(s.text), s.text.find("non r") == std::string::npos ? s.end_s * 1000.0 : -1.0);
  }
  std::size_t zeroings = 0, next = 0, losses = 0, returns = 0;
  bool matched_one = false;
  for (std::size_t i = 0; i < record.rows.size(); ++i) {
    const DepthRow& r = record.rows[i];
    const std::string at = "row " + std::to_string(i) + " (" + r.event + " at " + std::to_string(r.video_ms) + "): ";
    if (r.event == "calibration") circ_m = read_decimal(r.detail).value_or(0) / 1000.0;
    // A correction shifts what follows; a curb zero makes the depth there the start depth.
    if (r.event == "depth_correction") offset += read_decimal(r.detail.substr(r.detail.front() == '+')).value_or(0);
    if (r.event == "curb_zero") offset = 0;
    if (r.event == "curb_zero" || r.event == "water_zero" || r.event == "depth_correction") {
      if (r.event != "depth_correction") (r.event == "curb_zero" ? curb : water) = r.tics;
      if (zeroings >= zeroing_starts.size()) return at + "no zeroing entry";
      if (std::abs(zeroing_starts[zeroings++] - static_cast<double>(r.video_ms)) > kFrameMs)
        return at + "not at its entry's time";
    }
    if (r.event == "encoder_lost") {
      if (losses >= gaps.size()) return at + "no gap entry";
      if (std::abs(gaps[losses++].first - static_cast<double>(r.video_ms)) > kFrameMs)
        return at + "not where its gap entry says the link went";
    }
    if (r.event == "encoder_back") {
      if (returns >= losses || gaps[returns].second < 0) return at + "no gap entry ends with the link back";
      if (std::abs(gaps[returns++].second - static_cast<double>(r.video_ms)) > kFrameMs)
        return at + "not at its gap entry's end";
    }
    if (r.event != "line") continue;
    const double depth = start + (r.tics - curb) * circ_m / per_turn + offset;
    if (std::abs(depth - r.depth_m) > 0.0006)
      return at + "depth " + std::to_string(r.depth_m) + " for " + std::to_string(depth);
    if (water >= 0) {
      const double w = (r.tics - water) * circ_m / per_turn;
      if (!r.water_depth_m || std::abs(*r.water_depth_m - w) > 0.0006) return at + "water depth";
    } else if (r.water_depth_m) {
      return at + "a water depth without water zero";
    }
    // Its subtitle entry: the next one showing this depth; only zeroing entries in between (and
    // the titles before the first line).
    const std::string text = depth_text(depth);
    while (next < subs.size() && (is_event_entry(subs[next].text) || subs[next].text.find(text) == std::string::npos)) {
      if (matched_one && !is_event_entry(subs[next].text)) return at + "entry \"" + subs[next].text + "\" has no row";
      ++next;
    }
    if (next == subs.size()) return at + "no entry shows " + text;
    if (std::abs(subs[next].start_s * 1000.0 - static_cast<double>(r.video_ms)) > kFrameMs)
      return at + "its entry starts at " + std::to_string(subs[next].start_s);
    matched_one = true;
    ++next;
  }
  if (!matched_one) return "no line row";
  if (losses != gaps.size()) return std::to_string(gaps.size() - losses) + " gap entries without encoder_lost row";
  std::size_t left = 0;
  for (; next < subs.size(); ++next)
    if (!is_event_entry(subs[next].text)) ++left;
  // A station killed between an entry and its row leaves that entry alone.
  if (left > (closed ? 0u : 1u)) return std::to_string(left) + " entries after the last row";
  return {};
}

}  // namespace wellvue::test
