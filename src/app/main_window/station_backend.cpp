#include "app/main_window/station_backend.h"

#include "capture/gst/gst_graph_backend.h"
#include "capture/gst/gst_runtime.h"
#include "capture/gst/test_pattern_device.h"

namespace wellvue {

CaptureView::BackendFactory station_backend(bool test_source) {
  gst::ensure_gstreamer();
  if (test_source) gst::register_test_pattern_device();
  return [](Scheduler& scheduler) -> std::unique_ptr<GraphBackend> {
    return std::make_unique<gst::GstGraphBackend>(scheduler);
  };
}

}  // namespace wellvue
