// Playback of a recorded video for its review: opened paused on its first frame, played, paused,
// sent to a millisecond, stepped frame by frame; each picture goes to a VideoSurface. The
// platform implements it (GStreamer in capture/gst).
#pragma once
#include <cstdint>
#include <string>

#include "capture/graph_backend.h"

namespace wellvue {

class Player {
 public:
  virtual ~Player() = default;

  // Opens `utf8_path` and shows its first frame in `surface` (which outlives the player). False,
  // with the platform's words (CP1252) in `error`, when the file cannot be played.
  virtual bool open(const std::string& utf8_path, VideoSurface* surface, std::string& error) = 0;
  virtual bool play() = 0;
  virtual bool pause() = 0;
  virtual bool playing() const = 0;
  // Shows the frame at `ms` exactly (not the key frame before it); returns once it is shown.
  virtual bool seek_ms(std::int64_t ms) = 0;
  // Paused: shows the next frame (`frames` > 0) or a previous one (< 0).
  virtual bool step(int frames) = 0;
  // Video time of the frame shown last, in milliseconds; -1 before the first.
  virtual std::int64_t frame_ms() const = 0;
  virtual std::int64_t duration_ms() = 0;
  // Images per second of the video (0 while unknown).
  virtual double frame_rate() const = 0;
  // Call from the owner's thread now and then: handles the end of the video (it pauses on the last
  // frame) and returns the platform's words for a playback failure since the last call, if any.
  virtual std::string poll() = 0;
};

}  // namespace wellvue
