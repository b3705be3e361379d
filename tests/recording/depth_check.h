// Checks of a depth record against the subtitles of the same recording: its header, the depth
// model it states, and each line, zeroing and loss of the encoder on the subtitles' clock.
#pragma once
#include <string>
#include <vector>

#include "recording/depth_record.h"
#include "recording_rig.h"

namespace wellvue::test {

// What is wrong with the record; empty when nothing. `subs` are the recording's subtitles as
// parsed; `closed`: the recording was stopped (its last two entries close it, its last row is
// "stop"), otherwise it was cut short (one entry may have no row yet).
std::string depth_record_problem(const DepthRecord& record, const std::vector<ParsedSubtitle>& subs, bool closed);

// Rows of that event.
std::vector<DepthRow> rows_of(const DepthRecord& record, const std::string& event);

}  // namespace wellvue::test
