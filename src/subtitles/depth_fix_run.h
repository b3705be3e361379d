// wellvue-depth-fix's work on one recording: finds its SRT and depth record from the AVI, SRT or
// base name, corrects both from the known depths and writes "_<name>.srt" and "_<name>.depth.csv"
// beside them, the originals untouched; and the texts of its command line and of its report.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "subtitles/depth_fix.h"

namespace wellvue {

struct DepthFixFiles {
  std::filesystem::path srt, record;          // the recording's
  std::filesystem::path srt_out, record_out;  // the corrected copies
};

// The files of the recording REC: an existing file loses its extension (name.avi, name.srt), any
// other text is the base name itself.
DepthFixFiles depth_fix_files(const std::filesystem::path& rec);

struct DepthFixResult {
  DepthFixFiles files;
  DepthFit fit;
  double largest_change_m = 0.0;
  std::int64_t largest_change_ms = 0;
  std::size_t entries_rewritten = 0;
  std::size_t entries_without_row = 0;
};

// Reads, corrects and writes. An output that exists (a file, a folder or a symbolic link) is
// refused unless replace is set; with replace it is replaced, a link itself and never what it
// points to. Each output is written whole through a temporary file or not at all. Raises
// ConversionError (FileError for files) with the operator's French text, CP1252; nothing is
// left written then.
DepthFixResult fix_recording_depths(const std::filesystem::path& rec, const std::vector<KnownDepth>& points,
                                    bool replace);

// The report's lines, CP1252: the corrected circumference (mm per turn and % of the recorded
// one), the largest change of depth, the entries rewritten and the files written.
std::vector<std::string> depth_fix_report(const DepthFixResult& result);

// A video time as typed: hh:mm:ss,mmm, mm:ss or seconds (754.2 or 754,2); nullopt otherwise.
std::optional<std::int64_t> parse_video_time(std::string_view text);
// Metres as typed, with a point or a comma; nullopt when not a number.
std::optional<double> parse_known_metres(std::string_view text);

}  // namespace wellvue
