// One whole recording without a window, on the station's own parts: the capture engine over
// GStreamer, the encoder link on a serial port (or the simulated board's pseudo-terminal) and the
// recording workflow, so the AVI, the SRT, the journal and the crash note are the station's.
#pragma once
#include <atomic>
#include <ostream>

#include "record_options.h"

namespace wellvue::record_tool {

// Exit codes of the tool.
inline constexpr int kRecorded = 0;
inline constexpr int kNotRecorded = 1;  // not started, no picture, subtitles not written, or ended by the engine
inline constexpr int kUsageError = 2;

// Records until `options.seconds` have passed, `stop` becomes true (Ctrl-C) or the engine ends the
// recording; prints the files written on `out`, every message on `err` (UTF-8).
int record(const Options& options, std::ostream& out, std::ostream& err, const std::atomic<bool>& stop);

}  // namespace wellvue::record_tool
