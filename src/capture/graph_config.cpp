#include "capture/graph_config.h"

namespace wellvue {

int DVDisplaySetting(TDVResolution r) {
  switch (r) {
    case dvrFull:
      return 1000;
    case dvrHalf:
      return 1001;
    case dvrQuater:
      return 1002;
    case dvrDC:
      return 1003;
    default:
      return 0;
  }
}

TVCapMode DVResolutionMode(TDVResolution r) {
  TVCapMode m;
  switch (r) {
    case dvrFull:
      m.Width = 720;
      m.Height = 576;
      break;
    case dvrHalf:
      m.Width = 360;
      m.Height = 288;
      break;
    case dvrQuater:
      m.Width = 180;
      m.Height = 144;
      break;
    case dvrDC:
      m.Width = 88;
      m.Height = 72;
      break;
    default:
      return m;
  }
  m.BitCount = 24;
  return m;
}

const Guid* PixelFormatSubtype(TPixelFormat f) {
  switch (f) {
    case pf1bit:
      return &guids::MEDIASUBTYPE_RGB1;
    case pf4bit:
      return &guids::MEDIASUBTYPE_RGB4;
    case pf8bit:
      return &guids::MEDIASUBTYPE_RGB8;
    case pf15bit:
      return &guids::MEDIASUBTYPE_RGB555;
    case pf16bit:
      return &guids::MEDIASUBTYPE_RGB565;
    case pf24bit:
      return &guids::MEDIASUBTYPE_RGB24;
    case pf32bit:
      return &guids::MEDIASUBTYPE_RGB32;
    case pfCustom:
      return &guids::MEDIASUBTYPE_RGB24;
    default:
      return nullptr;
  }
}

void TGraphConfig::Clear() {
  std::string state = std::move(VideoCompressorState);
  *this = TGraphConfig{};
  VideoCompressorState = std::move(state);
}

}  // namespace wellvue
