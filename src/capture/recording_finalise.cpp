#include "capture/recording_finalise.h"

#include "capture/avi/avi_info.h"
#include "capture/avi/avi_repair.h"

namespace wellvue {

FinalisedRecording FinaliseRecording(const std::string& path) {
  FinalisedRecording out;
  const avi::AviReadResult read = avi::read_avi_file(path);
  if (!read.info) return out;  // not an AVI of ours: left alone
  if (read.info->finalised) {
    out.was_finalised = true;
    out.duration_s = read.info->video_duration_seconds();
    return out;
  }
  const avi::RepairResult r = avi::repair_avi(path);
  out.message = r.message;
  out.repaired = r.status == avi::RepairStatus::Repaired;
  if (out.repaired) {
    out.duration_s = r.duration_seconds;
    out.frames = r.frames;
  }
  return out;
}

}  // namespace wellvue
