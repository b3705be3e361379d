// The depth record beside a recording (<name>.depth.csv, docs/depth-record.md): its fixed lines,
// its row, its header's text, and the one reader of such a file. The reader keeps every field's
// text as read, so that a corrected copy differs from its source only where a value changed.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wellvue {

inline constexpr std::string_view kDepthRecordFirstLine = "# Wellvue depth record 1";
inline constexpr std::string_view kDepthRecordColumns = "video_ms,event,raw,tics,depth_m,water_depth_m,detail";

// One row. All texts are UTF-8.
struct DepthRow {
  std::int64_t video_ms = 0;
  std::string event;                // "line", "curb_zero", ... "start", "stop"
  std::optional<std::int64_t> raw;  // the board's count of the line; none on most event rows
  std::int32_t tics = 0;
  double depth_m = 0.0;
  std::optional<double> water_depth_m;  // none without a water zero
  std::string detail;
};

// Header keys and values in the file's order.
using DepthHeader = std::vector<std::pair<std::string, std::string>>;

// The first line, the header and the column line, each ended by LF.
std::string depth_header_text(const DepthHeader& header);
// A CSV field, quoted when it holds a comma, a quote or a line break (RFC 4180).
std::string csv_field(const std::string& text);

// A row as read: its values and its seven field texts (unquoted).
struct DepthRecordRow : DepthRow {
  std::vector<std::string> fields;

  bool is_line() const { return event == "line"; }
  // A row after which the depth relation starts again from the row's count.
  bool restarts_relation() const { return event == "curb_zero" || event == "counter_reset"; }
};

struct DepthRecordFile {
  DepthHeader header;
  std::vector<DepthRecordRow> rows;

  const std::string* header_value(std::string_view key) const;
  // The value of a numeric key (a point as decimal mark); none when absent or not a number.
  std::optional<double> header_number(std::string_view key) const;
  void set_header_value(std::string_view key, std::string value);
};

// The record of a text. Raises ConversionError (CP1252 French, naming `name` and the line) when it
// is not a depth record or a row does not read.
DepthRecordFile parse_depth_record(std::string_view text, const std::string& name);
// The record of a file (path in UTF-8); FileError when it cannot be read.
DepthRecordFile read_depth_record_file(const std::string& path);
// The text of a record: its header, the column line and its rows' field texts, LF line ends.
std::string depth_record_file_text(const DepthRecordFile& record);

}  // namespace wellvue
