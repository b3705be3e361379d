// The three values the capture configuration dialog remembers between two openings; the caller
// keeps them in the settings file ("cbVSources_itemindex", "cbASources_itemindex",
// "compresseur_video").
#pragma once
#include <string>

namespace wellvue {

struct GraphConfigMemory {
  int video_source_index = 0;         // selection of cbVSources at the last close, -1 for none
  int audio_source_index = 0;         // selection of cbASources at the last close, -1 for none
  std::string video_compressor_name;  // CP1252; the compressor chosen at the last OK
};

}  // namespace wellvue
