// Makes a recording whose muxer could not close it (a full disk, a write error, a muxer that
// did not finish in time) play without a repair step: an AVI left unfinalised is repaired in
// place, with no more room than its index needs, and without the index when even that is
// lacking.
#pragma once
#include <cstdint>
#include <string>

namespace wellvue {

struct FinalisedRecording {
  bool was_finalised = false;  // the muxer had closed it: nothing was done
  bool repaired = false;       // it was unfinalised and is now playable
  double duration_s = 0;       // of its video, from its headers afterwards; 0 when unreadable
  std::uint64_t frames = 0;    // video frames it holds once repaired
  std::string message;         // the repair's words (CP1252) when one was tried
};

FinalisedRecording FinaliseRecording(const std::string& path);

}  // namespace wellvue
