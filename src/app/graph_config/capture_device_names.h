// The four name lists the capture configuration dialog offers: display names of the video and
// audio sources and of the video and audio compressors, in the engine's list order (CP1252).
#pragma once
#include <string>
#include <vector>

namespace wellvue {

struct CaptureDeviceNames {
  std::vector<std::string> video_sources;
  std::vector<std::string> audio_sources;
  std::vector<std::string> video_compressors;
  std::vector<std::string> audio_compressors;
};

}  // namespace wellvue
