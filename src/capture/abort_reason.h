// Why a recording was aborted, told to the operator in French (CP1252), from the code of the
// abort event, the platform's own words for the failure and the folder of the recording.
#pragma once
#include <string>

#include "capture/hresult.h"

namespace wellvue {

// A full disk: "disque plein dans <folder> (plus de place pour la vidéo)"; another write
// failure: its own text with the platform's words; anything else: the code.
std::string AbortReasonText(HResult code, const std::string& platform_text, const std::string& folder);

}  // namespace wellvue
