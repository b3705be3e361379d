#include "capture/gst/gst_runtime.h"

#include <gst/gst.h>

namespace wellvue::gst {

bool ensure_gstreamer() {
  static const bool ok = [] {
    GError* err = nullptr;
    const bool started = gst_init_check(nullptr, nullptr, &err);
    if (err) g_error_free(err);
    return started;
  }();
  return ok;
}

}  // namespace wellvue::gst
