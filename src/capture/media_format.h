// A media type as the backend describes a stream format: major type, subtype, the kind of format
// block and that block's fields (video picture header or audio wave format).
#pragma once
#include <cstdint>

#include "capture/guid.h"

namespace wellvue {

struct MediaFormat {
  Guid major_type;
  Guid subtype;
  Guid format_type;  // guids::FORMAT_VideoInfo, FORMAT_VideoInfo2, FORMAT_WaveFormatEx or null

  // Picture header (FORMAT_VideoInfo / FORMAT_VideoInfo2). A top-down picture may have a
  // negative height.
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bit_count = 0;
  std::int64_t avg_time_per_frame = 0;  // 100 ns units; 0 when the format gives none

  // Wave format (FORMAT_WaveFormatEx).
  std::int32_t samples_per_sec = 0;
  std::int32_t bits_per_sample = 0;
  std::int32_t channels = 0;
  std::int32_t avg_bytes_per_sec = 0;

  friend bool operator==(const MediaFormat&, const MediaFormat&) = default;
};

// The frame interval range that a video capability allows (100 ns units; 0 when not given).
struct VideoCapability {
  std::int64_t min_frame_interval = 0;
  std::int64_t max_frame_interval = 0;
};

}  // namespace wellvue
