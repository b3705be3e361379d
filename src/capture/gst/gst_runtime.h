// One-time GStreamer initialisation for the capture backend.
#pragma once

namespace wellvue::gst {

// Initialises GStreamer once per process; false when the library cannot start.
bool ensure_gstreamer();

}  // namespace wellvue::gst
