// The depth record beside a recording (<name>.depth.csv): a header of "# key: value" lines, then
// one CSV row per decoded encoder line and per event, on the video's clock. Its rows as text, the
// journal that keeps them on disk while the recording runs, the whole file written at the stop,
// and the reader of such a file. The file's row, fixed lines and reader are util's
// (util/depth_record_file.h), shared with the depth correction.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "recording/whole_append_file.h"
#include "util/depth_record_file.h"

namespace wellvue {

// What the header tells of the start of the recording.
struct DepthRecordStart {
  std::string bore;
  std::string date;  // "yyyy-mm-dd hh:mm:ss", local
  std::string station;
  double circumference_mm_per_turn = 0.0;
  int sign = 1;
  int tics_per_turn = 24;
  std::int32_t curb_zero_tics = 0;
  double start_depth_m = 0.0;
  double depth_offset_m = 0.0;
  std::int32_t water_zero_tics = -1;
  std::string compressor;
  double frame_rate = 0.0;
};

DepthHeader depth_header(const DepthRecordStart& start);

// The row as a CSV line without its line end; numbers always with a '.'.
std::string depth_row_text(const DepthRow& row);
// "<name>.depth.csv" beside "<name>.avi" (any extension replaced).
std::string depth_record_name(const std::string& avi_name);

// The record on disk while the recording runs: each row appended and synced as it comes, whole or
// not at all.
class DepthJournal {
 public:
  // Starts the file with the header; false when it cannot be created. A link is not followed.
  bool open(const std::string& path, const DepthHeader& header);
  bool is_open() const { return file_.is_open(); }
  void row(const DepthRow& row);
  void close() { file_.close(); }
  // A write failed since the open (disk full, medium gone).
  bool failed() const { return file_.failed(); }

 private:
  WholeAppendFile file_;
};

// Writes the whole record in place of the file (through a temporary file: the old one stays on a
// failure); false when it cannot be written.
bool write_depth_record(const std::string& path, const DepthHeader& header, const std::vector<DepthRow>& rows);

struct DepthRecord {
  std::map<std::string, std::string> header;
  std::vector<DepthRow> rows;
};
// Reads a depth record through the one reader. Throws FileError when the file cannot be read,
// ConversionError (naming the line) when it is not a depth record or a row does not read.
DepthRecord read_depth_record(const std::string& path);

}  // namespace wellvue
