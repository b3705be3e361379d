#include "capture/recording_finalise.h"

#include "capture/recording_format.h"

namespace wellvue {

FinalisedRecording FinaliseRecording(const std::string& path) {
  FinalisedRecording out;
  const RecordingFormat& format = default_recording_format();
  const std::optional<RecordedLength> length = format.read_length(path);
  if (!length) return out;  // not a recording of ours: left alone
  if (length->finalised) {
    out.was_finalised = true;
    out.duration_s = length->header_seconds;
    return out;
  }
  const Recovery r = format.repair(path);
  out.message = r.message;
  out.repaired = r.status == RecoveryStatus::Repaired;
  if (out.repaired) {
    out.duration_s = r.duration_seconds;
    out.frames = r.frames;
  }
  return out;
}

}  // namespace wellvue
