// Repair of a crashed recording that grew past one RIFF segment (OpenDML "AVIX" segments):
// rebuilds the standard indexes of the open segment, the super indexes, sizes and counts.
#pragma once

#include "capture/avi/avi_info.h"
#include "capture/avi/avi_repair.h"
#include "capture/avi/byte_source.h"

#include <string>

namespace wellvue::avi {

// `info` is what read_avi found in `src`, an open view of the file at `path`.
RepairResult repair_extended(const std::string& path, const AviInfo& info, ByteSource& src);

}  // namespace wellvue::avi
