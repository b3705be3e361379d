#include "capture/recording_format.h"

#include "capture/avi/avi_info.h"
#include "capture/avi/avi_repair.h"
#include "capture/avi/set_aside.h"

namespace wellvue {

namespace {

std::optional<RecordedLength> avi_length(const std::string& path) {
  const avi::AviReadResult r = avi::read_avi_file(path);
  if (!r.info) return std::nullopt;
  RecordedLength out;
  out.finalised = r.info->finalised;
  out.header_seconds = r.info->video_duration_seconds();
  out.frames_on_disk = r.info->video_chunks();
  if (r.info->video_stream < 0) return out;  // an AVI still, finalised or not, but no picture
  const avi::AviStream& v = r.info->streams[static_cast<std::size_t>(r.info->video_stream)];
  if (v.rate != 0) out.on_disk_seconds = static_cast<double>(v.length_on_disk()) * v.scale / v.rate;
  return out;
}

RecoveryStatus status_of(avi::RepairStatus s) {
  switch (s) {
    case avi::RepairStatus::Repaired:
      return RecoveryStatus::Repaired;
    case avi::RepairStatus::AlreadyFinalised:
      return RecoveryStatus::AlreadyFinalised;
    case avi::RepairStatus::Empty:
      return RecoveryStatus::Empty;
    case avi::RepairStatus::Failed:
      break;
  }
  return RecoveryStatus::Failed;
}

Recovery avi_repair(const std::string& path) {
  const avi::RepairResult r = avi::repair_avi(path);
  return {status_of(r.status), r.message, r.frames, r.duration_seconds};
}

std::string avi_set_aside(const std::string& path, std::error_code& ec) { return avi::set_aside(path, ec); }

}  // namespace

const RecordingFormat& avi_format() {
  static const RecordingFormat f{"AVI", "avimux", ".avi", &avi_length, &avi_repair, &avi_set_aside};
  return f;
}

const RecordingFormat& default_recording_format() { return avi_format(); }

}  // namespace wellvue
