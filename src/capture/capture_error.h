// The engine's internal failure: shown through the reporting routine, then thrown to the
// enclosing operation, which undoes its work and returns false. Never leaves the engine.
#pragma once
#include <stdexcept>
#include <string>

namespace wellvue {

class EVideoCaptureError : public std::runtime_error {
 public:
  explicit EVideoCaptureError(const std::string& text) : std::runtime_error(text) {}
};

// The text of a report: the first "%x" of the template becomes the code in upper-case
// hexadecimal, "DirectShow" reads "GStreamer"; `tail` (names of files...) is appended as is.
std::string FormatCaptureReport(const std::string& templ, int code, const std::string& tail = {});

}  // namespace wellvue
