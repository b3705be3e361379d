// The video and audio compressors a recording can use: GStreamer encoders whose output the AVI
// muxer accepts and that really encode into it (each tried once per process, then cached).
#pragma once
#include <gst/gst.h>

#include <memory>
#include <string>
#include <vector>

namespace wellvue::gst {

struct Compressor {
  std::string name;     // friendly name (the factory's long name; DV has the station's name)
  std::string factory;  // element factory name
  bool dv = false;      // needs the DV picture size and rate in front of it
};

inline constexpr const char* kDvCompressorName = "DV Video Encoder";
// x264enc, offered once gstreamer1.0-plugins-ugly is installed.
inline constexpr const char* kX264CompressorName = "H.264 (x264)";

class CompressorCatalog {
 public:
  static CompressorCatalog& instance();

  // Each entry is the same object on every call (identity is stable for the process).
  std::vector<std::shared_ptr<const Compressor>> video();
  std::vector<std::shared_ptr<const Compressor>> audio();

 private:
  CompressorCatalog() = default;
  bool video_done_ = false, audio_done_ = false;
  std::vector<std::shared_ptr<const Compressor>> video_, audio_;
};

// Makes the chain for a compressor as one bin with a sink and a src pad (converter, DV scaling
// and rate, encoder with live-friendly settings). Null when the factory is missing.
GstElement* make_video_encoder_bin(const Compressor& c, const char* name);
GstElement* make_audio_encoder_bin(const Compressor& c, const char* name);

}  // namespace wellvue::gst
