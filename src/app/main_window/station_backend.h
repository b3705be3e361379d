// The capture platform of the station: GStreamer, with the test-pattern camera offered only when
// the program asks for it.
#pragma once
#include "app/main_window/capture_view.h"

namespace wellvue {

// Starts GStreamer (and registers the test-pattern camera when `test_source`), then gives the
// factory of the station's backend.
CaptureView::BackendFactory station_backend(bool test_source);

}  // namespace wellvue
