// Turns one camera frame (raw video, MJPEG or DV, at its own size) into a JPEG with a black band
// under the picture carrying text lines, in a short pipeline of its own: appsrc, decoder,
// videobox (the band), textoverlay (the lines), jpegenc, appsink.
#pragma once
#include <gst/gst.h>

#include <chrono>
#include <string>
#include <vector>

namespace wellvue::gst {

struct EncodedSnapshot {
  bool ok = false;
  std::string jpeg;
  int width = 0, height = 0;  // of the JPEG
  int band_height = 0;
  std::string error;  // GStreamer's words (UTF-8) when not ok
};

// `lines` are UTF-8 (invalid bytes are shown as replacement characters, markup as it is written).
EncodedSnapshot encode_snapshot(GstSample* frame, const std::vector<std::string>& lines,
                                std::chrono::milliseconds timeout = std::chrono::seconds(5));

// The first snapshot of a process loads the fonts (about 100 ms): done once on a small picture,
// off the owner thread, so that the operator's first snapshot takes no longer than the others.
void warm_up_snapshot_encoder();

}  // namespace wellvue::gst
