// The depth texts of a recording's SRT rewritten after a depth correction: each entry that shows a
// depth (a depth line, a curb or water zero, the closing entry) takes the corrected values of the
// depth record row it shows; every other byte of the file stays as it was.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "subtitles/depth_fix.h"
#include "subtitles/depth_record_reader.h"

namespace wellvue {

struct SrtDepthRewrite {
  std::string text;                     // the whole file, CP1252 bytes and line ends as they were
  std::size_t entries_rewritten = 0;    // entries whose depth texts were matched to a row
  std::size_t entries_without_row = 0;  // entries with a depth text but no row: kept as they were
};

// An entry is matched to the row of its kind (line, curb_zero, water_zero) that comes next in the
// record and stands within one frame (40 ms) of the entry's start or end, the one showing the
// entry's depth first; the closing entry, which repeats the last depth shown, to the last such row
// at its start. The depth texts keep their decimal mark.
SrtDepthRewrite rewrite_srt_depths(std::string_view srt, const DepthRecordText& record,
                                   const std::vector<CorrectedRow>& corrected);

}  // namespace wellvue
