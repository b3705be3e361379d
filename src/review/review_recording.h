// What the review of one recording reads beside its video: the depth track, the frame rate, and
// the observations and photos placed on the video with their depths.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "review/depth_track.h"

namespace wellvue {

// An observation or a photo of the recording, at its moment of the video.
struct ReviewMark {
  enum class Kind { Observation, Snapshot };
  Kind kind = Kind::Snapshot;
  std::int64_t ms = 0;
  double depth_m = 0.0;
  std::string text;        // UTF-8: "CODE" or "CODE: note"; the file name of a photo alone
  std::string photo_path;  // UTF-8, beside the recording; empty without a photo
};

struct ReviewRecording {
  std::string video_path;  // UTF-8
  DepthTrack track;
  double frame_rate = 25.0;  // from the depth record; 25 when it does not say
  std::vector<ReviewMark> marks;
  bool from_depth_record = false;  // false: the track comes from the SRT (or there is none)
  std::string warning;             // French, CP1252: why the depth record or the SRT was not used
};

// Reads <name>.depth.csv beside the video, else <name>.srt. Never throws: what cannot be read is
// said in `warning` and leaves the track empty.
ReviewRecording load_review_recording(const std::string& video_path);

}  // namespace wellvue
