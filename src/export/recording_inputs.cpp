#include "export/recording_inputs.h"

#include "export/export_error.h"
#include "recording/recording_names.h"

namespace wellvue::exporting {
namespace {

namespace fs = std::filesystem;

bool is_file(const std::string& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

}  // namespace

RecordingInputs resolve_recording(const std::string& recording) {
  const RecordingNames names = recording_names(recording);
  RecordingInputs in;
  if (!is_file(names.avi)) throw ExportError("vidéo introuvable : " + names.avi);
  in.avi = names.avi;
  if (!is_file(names.srt))
    throw ExportError("sous-titres de profondeur introuvables : " + names.srt +
                      " (la profondeur ne peut pas être mise dans le fichier exporté)");
  in.srt = names.srt;
  if (is_file(names.observations)) in.observations = names.observations;
  if (is_file(names.depth_record)) in.depth_record = names.depth_record;
  return in;
}

}  // namespace wellvue::exporting
