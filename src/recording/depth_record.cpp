#include "recording/depth_record.h"

#include <filesystem>

#include "util/depth_text.h"
#include "util/numbers.h"
#include "util/text_file.h"

namespace wellvue {

DepthHeader depth_header(const DepthRecordStart& s) {
  return {{"bore", s.bore},
          {"date", s.date},
          {"station", s.station},
          {"circumference_mm_per_turn", shortest_text(s.circumference_mm_per_turn)},
          {"sign", std::to_string(s.sign)},
          {"tics_per_turn", std::to_string(s.tics_per_turn)},
          {"curb_zero_tics", std::to_string(s.curb_zero_tics)},
          {"start_depth_m", fixed_text(s.start_depth_m, 2)},
          {"depth_offset_m", fixed_text(s.depth_offset_m, 3)},
          {"water_zero_tics", std::to_string(s.water_zero_tics)},
          {"compressor", s.compressor},
          {"frame_rate", shortest_text(s.frame_rate)}};
}

std::string depth_row_text(const DepthRow& r) {
  std::string s = std::to_string(r.video_ms);
  s += ',' + csv_field(r.event) + ',';
  if (r.raw) s += std::to_string(*r.raw);
  s += ',' + std::to_string(r.tics) + ',' + record_depth_text(r.depth_m) + ',';
  if (r.water_depth_m) s += record_depth_text(*r.water_depth_m);
  s += ',' + csv_field(r.detail);
  return s;
}

std::string depth_record_name(const std::string& avi_name) {
  return std::filesystem::path(avi_name).replace_extension(".depth.csv").string();
}

bool DepthJournal::open(const std::string& path, const DepthHeader& header) {
  if (!file_.open(path)) return false;
  file_.append(depth_header_text(header));
  return true;
}

void DepthJournal::row(const DepthRow& row) {
  if (file_.is_open()) file_.append(depth_row_text(row) + "\n");
}

bool write_depth_record(const std::string& path, const DepthHeader& header, const std::vector<DepthRow>& rows) {
  std::vector<std::string> lines;
  lines.reserve(rows.size() + header.size() + 2);
  std::string head = depth_header_text(header);
  head.pop_back();
  lines.push_back(std::move(head));
  for (const DepthRow& r : rows) lines.push_back(depth_row_text(r));
  return write_text_lines_lf(path, lines);
}

DepthRecord read_depth_record(const std::string& path) {
  DepthRecordFile file = read_depth_record_file(path);
  DepthRecord record;
  // A key written twice: the last one holds, as a later line overrides an earlier one.
  for (auto& [key, value] : file.header) record.header[key] = std::move(value);
  record.rows.reserve(file.rows.size());
  for (DepthRecordRow& row : file.rows) record.rows.push_back(std::move(static_cast<DepthRow&>(row)));
  return record;
}

}  // namespace wellvue
