// The capture configuration record passed between the main window, the configuration dialog and
// the engine, with the DV picture sizes and the frame tap's pixel formats.
#pragma once
#include <cstdint>
#include <string>

#include "capture/cap_modes.h"

namespace wellvue {

enum TDVResolution { dvrDontWorry, dvrFull, dvrHalf, dvrQuater, dvrDC };

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// The DV decoder's display setting of a resolution (0 for dvrDontWorry).
int DVDisplaySetting(TDVResolution r);
// Picture of a DV resolution (Width, Height, BitCount set; zero for dvrDontWorry).
TVCapMode DVResolutionMode(TDVResolution r);
// The subtype imposed on the frame tap, null for pfDevice.
const Guid* PixelFormatSubtype(TPixelFormat f);

class TGraphConfig {
 public:
  std::string VideoSourceName;
  std::string AudioSourceName;
  std::string VideoCompressorName;
  std::string AudioCompressorName;
  TACapMode ACapMode;
  TVCapMode VCapMode;
  std::string VideoCompressorState;  // opaque bytes
  bool WantCapture = false;
  bool WantPreview = false;
  bool WantBitmaps = false;
  bool WantAudio = false;
  bool WantDVAudio = false;
  bool WantAudioPreview = true;
  TPixelFormat BitmapPixelFormat = pf24bit;
  TDVResolution DVResolution = dvrFull;
  // Names as the settings files in the field hold them, whatever the recording format.
  std::string CaptureFileName = "capture.avi";
  bool UseTempFile = false;
  std::string TempCaptureFileName = "captemp.avi";
  bool DoPreallocFile = false;
  std::uint32_t PreallocFileSize = 0;

  // Every field back to its initial value except VideoCompressorState.
  void Clear();
};

}  // namespace wellvue
