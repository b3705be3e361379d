// Decides the keyframe flag of a rebuilt index entry from the start of a chunk's payload.
#pragma once

#include "capture/avi/avi_info.h"

#include <cstddef>
#include <cstdint>

namespace wellvue::avi {

// How many payload bytes is_keyframe wants to see for this stream (0: none needed).
std::size_t keyframe_probe_size(const AviStream& s);

// Intra-only video (MJPEG, raw, ...) and audio: every chunk. H.264 byte stream: an IDR or
// sequence header NAL unit. MPEG-4 part 2: an I-VOP. An empty video chunk is never a keyframe.
bool is_keyframe(const AviStream& s, const std::uint8_t* data, std::size_t n, std::uint32_t chunk_size);

}  // namespace wellvue::avi
