// Repairs an AVI recording left unfinalised by a crash or a power cut (sizes and counts zero,
// no idx1): walks past damaged chunk headers to the next valid chunk, rebuilds the index from
// the chunks on disk and patches the headers in place.
#pragma once

#include <cstdint>
#include <string>

namespace wellvue::avi {

enum class RepairStatus {
  Repaired,          // index rebuilt, headers patched
  AlreadyFinalised,  // nothing to do, file untouched
  Empty,             // no frame found in the file: untouched; never delete it (it may hold
                     // data no reader finds), set it aside with avi::set_aside
  Failed,            // cannot repair: file untouched, reason in message
};

struct RepairResult {
  RepairStatus status = RepairStatus::Failed;
  std::string message;              // for the operator, CP1252
  std::uint64_t frames = 0;         // video frames in the file
  std::uint64_t dropped_bytes = 0;  // bytes cut from the end (partial chunk, zeros, stale index)
  double duration_seconds = 0.0;    // of the video stream, after repair
};

RepairResult repair_avi(const std::string& path);

}  // namespace wellvue::avi
