#include "capture/capture_error.h"
#include "capture/hresult.h"
#include "capture/video_capture.h"

namespace wellvue {

std::string FormatCaptureReport(const std::string& templ, int code, const std::string& tail) {
  std::string text = templ;
  if (auto p = text.find("%x"); p != std::string::npos) text.replace(p, 2, hresult_hex(code));
  static const std::string kOld = "DirectShow", kNew = "GStreamer";
  for (auto p = text.find(kOld); p != std::string::npos; p = text.find(kOld, p + kNew.size()))
    text.replace(p, kOld.size(), kNew);
  return text + tail;
}

void TVideoCapture::Report(ReportKind kind, const std::string& templ, HResult code, const std::string& tail) {
  const std::string text = FormatCaptureReport(templ, code, tail);
  prompter_.inform(text, kCaptureReportCaption);
  if (kind == ReportKind::Failure) throw EVideoCaptureError(text);
}

void TVideoCapture::Warn(const std::string& templ, HResult code) { Report(ReportKind::Warning, templ, code); }

void TVideoCapture::Fail(const std::string& templ, HResult code) {
  Report(ReportKind::Failure, templ, code);
  throw EVideoCaptureError(templ);  // not reached: Report throws for failures
}

}  // namespace wellvue
