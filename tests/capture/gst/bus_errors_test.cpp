// Which bus errors count as a lost camera and which abort the recording, with their codes.
#include "capture/gst/bus_errors.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include "capture/graph_backend.h"

namespace wellvue::gst {
namespace {

struct Case {
  const char* label;
  BusError error;
  long event;
  HResult code;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

class BusErrorClassification : public ::testing::TestWithParam<Case> {};

TEST_P(BusErrorClassification, GivesTheEventAndCode) {
  const ErrorVerdict v = classify_bus_error(GetParam().error);
  EXPECT_EQ(v.event_code, GetParam().event);
  EXPECT_EQ(v.code, GetParam().code);
}

constexpr auto R = ErrorDomain::Resource;
constexpr auto S = ErrorDomain::Stream;

INSTANTIATE_TEST_SUITE_P(
    Table, BusErrorClassification,
    ::testing::Values(
        Case{"unplugged_camera",
             {R, GST_RESOURCE_ERROR_READ, true, true},
             EC_DEVICE_LOST,
             static_cast<HResult>(0x8007001Eu)},
        Case{"camera_failed", {R, GST_RESOURCE_ERROR_FAILED, true, true}, EC_DEVICE_LOST, E_FAIL},
        Case{"camera_gone", {R, GST_RESOURCE_ERROR_NOT_FOUND, true, true}, EC_DEVICE_LOST, VFW_E_NO_CAPTURE_HARDWARE},
        Case{
            "camera_busy", {R, GST_RESOURCE_ERROR_BUSY, true, true}, EC_DEVICE_LOST, static_cast<HResult>(0x800700AAu)},
        Case{"camera_cannot_open", {R, GST_RESOURCE_ERROR_OPEN_READ, true, true}, EC_DEVICE_LOST, E_FAIL},
        // The same errors from elsewhere, or while the graph was not running, abort.
        Case{
            "file_not_found", {R, GST_RESOURCE_ERROR_NOT_FOUND, false, true}, EC_ERRORABORT, VFW_E_NO_CAPTURE_HARDWARE},
        Case{"camera_error_at_start",
             {R, GST_RESOURCE_ERROR_READ, true, false},
             EC_ERRORABORT,
             static_cast<HResult>(0x8007001Eu)},
        Case{"camera_settings", {R, GST_RESOURCE_ERROR_SETTINGS, true, true}, EC_ERRORABORT, E_FAIL},
        Case{"disk_full",
             {R, GST_RESOURCE_ERROR_NO_SPACE_LEFT, false, true},
             EC_ERRORABORT,
             static_cast<HResult>(0x80070070u)},
        Case{"bad_folder",
             {R, GST_RESOURCE_ERROR_OPEN_WRITE, false, true},
             EC_ERRORABORT,
             static_cast<HResult>(0x80070005u)},
        Case{"write_failed",
             {R, GST_RESOURCE_ERROR_WRITE, false, true},
             EC_ERRORABORT,
             static_cast<HResult>(0x8007001Du)},
        Case{"stream_failed_from_camera", {S, GST_STREAM_ERROR_FAILED, true, true}, EC_ERRORABORT, E_FAIL},
        Case{"bad_format", {S, GST_STREAM_ERROR_FORMAT, false, true}, EC_ERRORABORT, VFW_E_CANNOT_CONNECT},
        Case{"negotiation",
             {ErrorDomain::Core, GST_CORE_ERROR_NEGOTIATION, false, true},
             EC_ERRORABORT,
             VFW_E_CANNOT_CONNECT},
        Case{"foreign_domain", {ErrorDomain::Other, 1, true, true}, EC_ERRORABORT, E_FAIL}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace wellvue::gst
