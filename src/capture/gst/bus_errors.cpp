#include "capture/gst/bus_errors.h"

#include <gst/gst.h>

#include "capture/graph_backend.h"

namespace wellvue::gst {

HResult hresult_for(ErrorDomain domain, int code) {
  if (domain == ErrorDomain::Resource) {
    switch (code) {
      case GST_RESOURCE_ERROR_NO_SPACE_LEFT:
        return static_cast<HResult>(0x80070070u);  // disk full
      case GST_RESOURCE_ERROR_OPEN_WRITE:
      case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
        return static_cast<HResult>(0x80070005u);  // access denied
      case GST_RESOURCE_ERROR_WRITE:
        return static_cast<HResult>(0x8007001Du);  // write fault
      case GST_RESOURCE_ERROR_READ:
        return static_cast<HResult>(0x8007001Eu);  // read fault
      case GST_RESOURCE_ERROR_NOT_FOUND:
        return VFW_E_NO_CAPTURE_HARDWARE;
      case GST_RESOURCE_ERROR_BUSY:
        return static_cast<HResult>(0x800700AAu);  // in use
      default:
        return E_FAIL;
    }
  }
  if (domain == ErrorDomain::Stream) {
    switch (code) {
      case GST_STREAM_ERROR_FORMAT:
      case GST_STREAM_ERROR_WRONG_TYPE:
      case GST_STREAM_ERROR_CODEC_NOT_FOUND:
        return VFW_E_CANNOT_CONNECT;
      default:
        return E_FAIL;
    }
  }
  if (domain == ErrorDomain::Core && code == GST_CORE_ERROR_NEGOTIATION) return VFW_E_CANNOT_CONNECT;
  return E_FAIL;
}

ErrorVerdict classify_bus_error(const BusError& e) {
  if (e.from_source && e.running && e.domain == ErrorDomain::Resource) {
    switch (e.code) {
      case GST_RESOURCE_ERROR_READ:
      case GST_RESOURCE_ERROR_FAILED:
      case GST_RESOURCE_ERROR_NOT_FOUND:
      case GST_RESOURCE_ERROR_OPEN_READ:
      case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
      case GST_RESOURCE_ERROR_BUSY:
        return {EC_DEVICE_LOST, hresult_for(e.domain, e.code)};
      default:
        break;
    }
  }
  return {EC_ERRORABORT, hresult_for(e.domain, e.code)};
}

}  // namespace wellvue::gst
