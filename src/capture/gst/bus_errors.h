// How an error posted on the pipeline's bus becomes a graph event: a capture device that stops
// delivering is "device lost", anything else aborts the recording. Also the result code shown
// for the failure.
#pragma once
#include "capture/hresult.h"

namespace wellvue::gst {

enum class ErrorDomain { Core, Library, Resource, Stream, Other };

struct BusError {
  ErrorDomain domain = ErrorDomain::Other;
  int code = 0;              // the GStreamer error code within its domain
  bool from_source = false;  // posted by a capture device's element
  bool running = false;      // the graph was running (not a start that failed)
};

struct ErrorVerdict {
  long event_code = 0;  // EC_DEVICE_LOST or EC_ERRORABORT
  HResult code = 0;     // result code carried by the event
};

ErrorVerdict classify_bus_error(const BusError& error);

// Result code of a GStreamer error (E_FAIL when nothing more precise fits).
HResult hresult_for(ErrorDomain domain, int code);

}  // namespace wellvue::gst
