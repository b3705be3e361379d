// A recording's depth record (<name>.depth.csv) as the depth correction reads it: the record as
// the one reader gives it (util/depth_record_file.h), with the header values the depth model
// starts from, which a record to correct must have.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "util/depth_record_file.h"

namespace wellvue {

struct DepthRecordText : DepthRecordFile {
  double circumference_mm = 0.0;
  int tics_per_turn = 24;
  std::int64_t curb_zero_tics = 0;
  double start_depth_m = 0.0;
  double depth_offset_m = 0.0;
};

// The record of a text. Raises ConversionError, with the French text the operator sees (CP1252),
// when it is not a depth record, a row cannot be read or the depth model's keys are missing; name
// is the file name for those texts.
DepthRecordText parse_depth_record_text(std::string_view text, const std::string& name);
// The file's record; FileError when it cannot be read.
DepthRecordText read_depth_record_text(const std::filesystem::path& path);
// The text of a record: its header, the column line and its rows, LF line ends.
inline std::string depth_record_text(const DepthRecordFile& record) { return depth_record_file_text(record); }

}  // namespace wellvue
