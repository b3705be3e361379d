// Reads a recording's depth record (<name>.depth.csv): the header keys and every row with its
// fields, and writes a record back in the same layout, so that a corrected copy differs from its
// source only where a value was changed.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wellvue {

struct DepthRecordRow {
  std::int64_t video_ms = 0;
  std::string event;                // "line", "curb_zero", "calibration"...
  std::optional<std::int64_t> raw;  // the board's count; none on event rows without a line
  std::int64_t tics = 0;
  double depth_m = 0.0;
  std::optional<double> water_depth_m;
  std::string detail;
  // The row's seven field texts as read (unquoted), written back as they stand unless changed.
  std::vector<std::string> fields;

  bool is_line() const { return event == "line"; }
  // A row after which the depth relation starts again from the row's count.
  bool restarts_relation() const { return event == "curb_zero" || event == "counter_reset"; }
};

struct DepthRecordText {
  std::vector<std::pair<std::string, std::string>> header;  // key, value, in the file's order
  std::vector<DepthRecordRow> rows;
  // The header values the depth model needs.
  double circumference_mm = 0.0;
  int tics_per_turn = 24;
  std::int64_t curb_zero_tics = 0;
  double start_depth_m = 0.0;
  double depth_offset_m = 0.0;

  const std::string* header_value(std::string_view key) const;
  void set_header_value(std::string_view key, std::string value);
};

inline constexpr std::string_view kDepthRecordFirstLine = "# Wellvue depth record 1";
inline constexpr std::string_view kDepthRecordColumns = "video_ms,event,raw,tics,depth_m,water_depth_m,detail";

// The record of a text. Raises ConversionError, with the French text the operator sees (CP1252),
// when it is not a depth record or a row cannot be read; name is the file name for those texts.
DepthRecordText parse_depth_record_text(std::string_view text, const std::string& name);
// The file's record; FileError when it cannot be read.
DepthRecordText read_depth_record_text(const std::filesystem::path& path);
// The text of a record: its header, the column line and its rows, LF line ends.
std::string depth_record_text(const DepthRecordText& record);

// Metres with three decimals and a point, as the record holds them.
std::string record_metres_text(double metres);

}  // namespace wellvue
