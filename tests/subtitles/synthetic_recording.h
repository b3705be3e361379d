// A recording's SRT and depth record written as the station writes them (its entry type, depth
// text and time codes), from a descent on a wheel whose circumference was typed wrong: built once
// with the depths the station showed and once with the true ones, the SRT a correction must give.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "util/depth_text.h"
#include "util/numbers.h"
#include "util/srt_entry.h"
#include "util/time_code.h"

namespace wellvue::test {

struct SyntheticRecording {
  double true_mm = 480.0;       // 0.02 m per tic: true depths never round on a half
  double recorded_mm = 494.4;   // typed 3 % too large
  double true_offset_m = 0.10;  // the curb zero was taken 10 cm off
  int tics_per_turn = 24;
  std::int64_t stop_ms = 0;
  // Lines: (video_ms, tics); a pause repeats a count.
  std::vector<std::pair<std::int64_t, std::int64_t>> lines;
  std::int64_t water_zero_after_line = 20;  // index of the line after which the water zero is set
  // A line's row timed at the start of its entry (the end of the one before) instead of its end.
  bool rows_at_entry_start = false;

  SyntheticRecording() {
    std::int64_t t = 0;
    for (int i = 0; i < 60; ++i) {
      if (i < 25 || i > 30) t += 7;  // lines 25 to 30: the descent pauses
      lines.emplace_back(2500 + 400 * i, t);
    }
    stop_ms = lines.back().first + 700;
  }

  double metres_per_tic(bool truth) const { return (truth ? true_mm : recorded_mm) / 1000.0 / tics_per_turn; }
  double depth(double tics, bool truth) const { return tics * metres_per_tic(truth) + (truth ? true_offset_m : 0.0); }
  std::int64_t row_ms(std::size_t i) const {
    if (!rows_at_entry_start) return lines[i].first;
    if (i == 0) return 2100;
    return static_cast<std::int64_t>(i) - 1 == water_zero_after_line ? water_zero_ms() : lines[i - 1].first;
  }
  std::int64_t water_zero_tics() const { return lines[water_zero_after_line].second; }
  std::int64_t water_zero_ms() const { return lines[water_zero_after_line].first + 150; }

  static std::string three(double v) { return fixed_text(v, 3); }

  // The depth record as the station writes it (the shown depths).
  std::string record() const {
    std::string r = "# Wellvue depth record 1\n# bore: P12\n# date: 2026-12-08 21:50:03\n# station: 0.1\n";
    r += "# circumference_mm_per_turn: " + three(recorded_mm) + "\n# sign: 1\n";
    r += "# tics_per_turn: " + std::to_string(tics_per_turn) + "\n# curb_zero_tics: 0\n# start_depth_m: 0.00\n";
    r += "# depth_offset_m: 0.000\n# water_zero_tics: -1\n# compressor: DV Video Encoder\n# frame_rate: 25\n";
    r += "video_ms,event,raw,tics,depth_m,water_depth_m,detail\n";
    r += "0,start,,0,0.000,,\n";
    r += "2100,curb_zero,,0,0.000,,\n";
    double last = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const auto [ms, tics] = lines[i];
      last = depth(tics, false);
      std::string water;
      if (static_cast<std::int64_t>(i) > water_zero_after_line)
        water = three((tics - water_zero_tics()) * metres_per_tic(false));
      r += std::to_string(row_ms(i)) + ",line," + std::to_string(tics) + "," + std::to_string(tics) + "," +
           three(last) + "," + water + ",\n";
      if (static_cast<std::int64_t>(i) == water_zero_after_line)
        r += std::to_string(water_zero_ms()) + ",water_zero,," + std::to_string(tics) + "," + three(last) + ",0.000,\n";
      if (i == 1)
        r += std::to_string(ms + 100) + ",snapshot,," + std::to_string(tics) + "," + three(last) +
             ",,\"P12, vue 1.jpg\"\n";
    }
    r += std::to_string(stop_ms) + ",stop,," + std::to_string(lines.back().second) + "," + three(last) + ",,\n";
    return r;
  }

  // The SRT with the depths shown (truth false) or the true ones (truth true), CP1252, CR LF.
  std::string srt(bool truth) const {
    const std::string prefix = "P12" + std::string(35, ' ');
    const std::string padding = "\xa0" + std::string(38, ' ');
    std::vector<std::string> out;
    auto add = [&](const SrtEntry& e) {
      for (const std::string& l : e.lines()) out.push_back(l);
    };
    add({1, "00:00:00,000", time_code_of_ms(1000), {"P12  08/12/2026 21h50:03", padding, padding}});
    add({2, time_code_of_ms(1000), time_code_of_ms(2100), {"P12  08/12/2026 21h50:03", padding, padding}});
    add({1,
         time_code_of_ms(2100),
         time_code_of_ms(2100),
         {"margelle a zero...." + std::string(23, ' ') + spaced_depth_text(truth ? true_offset_m : 0.0)}});
    std::string previous = time_code_of_ms(2100), label;
    long long n = 3;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const auto [ms, tics] = lines[i];
      std::string water = "      ---";
      if (static_cast<std::int64_t>(i) > water_zero_after_line)
        water = "    w_" + depth_text((tics - water_zero_tics()) * metres_per_tic(truth));
      label = prefix + depth_text(depth(tics, truth)) + water;
      add({n++, previous, time_code_of_ms(static_cast<std::uint64_t>(ms)), {label}});
      previous = time_code_of_ms(static_cast<std::uint64_t>(ms));
      if (static_cast<std::int64_t>(i) == water_zero_after_line) {
        const std::string now = time_code_of_ms(static_cast<std::uint64_t>(water_zero_ms()));
        add({n++,
             previous,
             now,
             {"niveau d'eau a zero...(w)" + std::string(10, ' ') + depth_text(depth(tics, truth)) + " w 0.00m"}});
        previous = now;
      }
    }
    // The closing entries: the last depth up to the end, then the end time.
    const std::string end = time_code_of_ms(static_cast<std::uint64_t>(stop_ms));
    add({n++, previous, end, {label}});
    add({n++, end, time_code_of_ms(static_cast<std::uint64_t>(stop_ms + 1000)), {previous + " ... " + end}});
    std::string text;
    for (const std::string& l : out) text += l + "\r\n";
    return text;
  }
};

}  // namespace wellvue::test
