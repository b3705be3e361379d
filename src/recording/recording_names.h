// The files of one recording named from any of them: "P12", "P12.avi", "P12.srt", "P12.obs.srt"
// or "P12.depth.csv" all name the recording P12. The export, the report and the review find a
// recording's files through it, so that each accepts the same names.
#pragma once
#include <string>

namespace wellvue {

struct RecordingNames {
  std::string base;  // without extension (UTF-8, like every name here)
  std::string avi, srt, observations, depth_record;
};

// The video and the subtitles in either case (".AVI" from a copy made under Windows): the
// upper-case name when only that file is there, the lower-case one otherwise, even when missing.
RecordingNames recording_names(const std::string& name);

}  // namespace wellvue
