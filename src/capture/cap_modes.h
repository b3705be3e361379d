// Capture formats ("modes") of the video and audio sources: how one is read from a media type,
// compared with another and shown in the mode lists.
#pragma once
#include <cstdint>
#include <string>

#include "capture/guid.h"
#include "capture/media_format.h"

namespace wellvue {

struct TVCapMode {
  Guid MajorType;
  Guid SubType;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t BitCount = 0;
  double FrameRate = 0;
  double MinFrameRate = 0;
  double MaxFrameRate = 0;
};

struct TACapMode {
  Guid MajorType;
  Guid SubType;
  std::int32_t SamplesPerSec = 0;
  std::int32_t BitsPerSample = 0;
  std::int32_t Channels = 0;
  std::int32_t AvgBytesPerSec = 0;
};

// The subtype's text of the table ("(YUY2)"...), or empty when the subtype is not in it.
std::string SubtypeName(const Guid& subtype);

// capability may be null: a current format carries no frame rates.
TVCapMode VideoModeFromMediaType(const MediaFormat& mt, const VideoCapability* capability);
TACapMode AudioModeFromMediaType(const MediaFormat& mt);

// "640x480x16b (YUY2)"
std::string VideoModeText(const TVCapMode& m);
// "44100Hzx16bx2" for PCM, "128kBits/s, 44100Hz, 2" otherwise.
std::string AudioModeText(const TACapMode& m);

bool SameVideoMode(const TVCapMode& a, const TVCapMode& b);
bool SameAudioMode(const TACapMode& a, const TACapMode& b);

}  // namespace wellvue
