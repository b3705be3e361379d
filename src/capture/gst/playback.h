// The GStreamer player of a recording: playbin with an appsink giving BGRx pictures.
#pragma once
#include <memory>

#include "capture/player.h"

namespace wellvue::gst {

std::unique_ptr<Player> make_player();

}  // namespace wellvue::gst
