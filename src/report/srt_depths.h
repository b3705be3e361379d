// The depths a recording's subtitles carry (CP1252 SRT, one entry per encoder line: the bore's
// name, the depth "12.34m" and the water depth), for a report made without the depth record.
#pragma once
#include <string>
#include <vector>

#include "report/report_content.h"

namespace wellvue {

struct SrtDepths {
  std::string bore;  // UTF-8, from the first entry with a depth
  std::vector<ProfilePoint> points;
  std::int64_t last_end_ms = 0;  // the end of the last entry
};

// Raises FileError when the file cannot be read. Entries without a depth (the closing entry) are
// skipped.
SrtDepths read_srt_depths(const std::string& path);

}  // namespace wellvue
