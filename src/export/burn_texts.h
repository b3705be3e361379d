// The texts drawn into the picture by a burned-in export: the bore name and the date-time of the
// moment on one line, the depth and the water depth on the next, each text timed on the video's
// clock. Taken from the depth record, or read back from the depth track's own texts without one.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/subtitle_cues.h"
#include "recording/depth_record.h"
#include "util/date_time.h"

namespace wellvue::exporting {

// A depth shown from video_ms on.
struct DepthPoint {
  std::int64_t video_ms = 0;
  double depth_m = 0;
  std::optional<double> water_m;  // none without a water zero
  bool operator==(const DepthPoint&) const = default;
};

struct BurnSource {
  std::string bore;                    // UTF-8, empty when the station's default name was kept
  std::optional<LocalDateTime> start;  // date-time of the first frame
  std::vector<DepthPoint> depths;      // from the first frame on, by time
};

// From the depth track (UTF-8 cues of the station's SRT): the bore name and start date-time of
// its first entry when that is a title entry, the depth and water depth of every depth entry
// from its start. The bore name of a track without title entry is the depth lines' prefix.
BurnSource burn_source_from_track(const std::vector<Cue>& depth_track);
// From the depth record: its bore name and start date-time ("date", yyyy-mm-dd hh:mm:ss) and the
// depth of every row, events too (they carry the depth of their moment).
BurnSource burn_source_from_record(const DepthRecord& record);

// Consecutive timed texts covering [0, duration_ms): a new text at each depth change and, with
// a start date-time, at each second.
std::vector<Cue> burn_texts(const BurnSource& source, std::int64_t duration_ms);

// The moment start + ms as "08/12/2026 21:50:03" (ms floored to the second).
std::string date_time_text(const LocalDateTime& start, std::int64_t ms);

}  // namespace wellvue::exporting
