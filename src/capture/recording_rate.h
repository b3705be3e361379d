// How many bytes a second of recording takes on disk with a given compressor and picture, so the
// station can tell how long the free space of the video folder lasts.
#pragma once
#include <cstdint>
#include <string>

namespace wellvue {

// The compressor is named as in the configuration record: empty for none (raw pictures),
// "DV Video Encoder" for DV, any other name for a compressed stream. A size or rate that is not
// given (zero, negative, not a number) is taken as 640 x 480 at 25 frames a second. The estimate
// errs on the large side: the minutes it announces are minutes the disk really holds.
std::uint64_t EstimatedBytesPerSecond(const std::string& compressor_name, int width, int height, double fps);

}  // namespace wellvue
