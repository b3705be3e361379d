// The box in which the capture engine reports its own failures (the platform's result code in
// hexadecimal), captioned with the media framework's name.
#pragma once
#include <string>

#include "util/prompter.h"

namespace wellvue {

inline constexpr const char* kEngineReportCaption = "GStreamer - Capture";

class EngineReportBox {
 public:
  explicit EngineReportBox(Prompter& prompter) : prompter_(prompter) {}
  // Shows the engine's text (CP1252) in an information box with OK.
  void operator()(const std::string& text) const { prompter_.inform(text, kEngineReportCaption); }

 private:
  Prompter& prompter_;
};

}  // namespace wellvue
