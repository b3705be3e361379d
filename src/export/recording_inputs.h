// The files of one recording that an export reads: the AVI, its depth track, and the
// observations and depth record when the station wrote them.
#pragma once
#include <filesystem>
#include <string>

namespace wellvue::exporting {

struct RecordingInputs {
  std::filesystem::path avi;
  std::filesystem::path srt;           // CP1252 depth track
  std::filesystem::path observations;  // <name>.obs.srt, empty when absent
  std::filesystem::path depth_record;  // <name>.depth.csv, empty when absent
};

// The recording named by its AVI, its SRT or its base name. Raises ExportError when the AVI or
// its SRT is missing.
RecordingInputs resolve_recording(const std::string& recording);

}  // namespace wellvue::exporting
