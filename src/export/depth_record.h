// The depth record <name>.depth.csv as an export reads it: the bore name, the start date-time
// and the depth of each row on the video's clock. Unknown header keys are ignored.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/date_time.h"

namespace wellvue::exporting {

struct DepthPoint {
  std::int64_t video_ms = 0;
  double depth_m = 0;
  std::optional<double> water_m;  // none without a water zero
  bool operator==(const DepthPoint&) const = default;
};

struct DepthRecord {
  std::string bore;                    // UTF-8
  std::optional<LocalDateTime> start;  // the recording's first frame
  std::vector<DepthPoint> points;      // in file order
};

// nullopt when the first line is not the record's; rows that do not read are skipped.
std::optional<DepthRecord> read_depth_record(std::string_view bytes);

// Fields of one RFC 4180 CSV line (quoted fields with doubled quotes).
std::vector<std::string> csv_fields(std::string_view line);

}  // namespace wellvue::exporting
