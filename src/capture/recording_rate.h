// How fast a recording fills the disk, for the free-space check before a recording starts.
#pragma once
#include <cstdint>
#include <string>

namespace wellvue {

// Bytes per second an AVI recording takes with the video compressor of that name (the
// catalog's name; empty: no compressor) at width x height and fps frames a second. DV is its
// fixed 3.6 MB/s whatever the mode; uncompressed video is exact for `raw_bits_per_pixel`
// (the cameras' YUY2 is 16); other compressors are estimated from the picture size and their
// typical bits per pixel, on the high side. Each frame adds its chunk header and index entry.
// 0 when the mode is unknown (a size or rate of zero or less) for anything but DV.
std::uint64_t EstimatedBytesPerSecond(const std::string& compressor_name, int width, int height, double fps,
                                      int raw_bits_per_pixel = 16);

}  // namespace wellvue
