#include "export/recording_inputs.h"

#include "export/export_error.h"

namespace wellvue::exporting {
namespace {

namespace fs = std::filesystem;

bool is_file(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

// "P12.avi", "P12.srt", "P12.obs.srt" and "P12" all name the recording P12.
fs::path base_of(const std::string& recording) {
  const std::string s = recording;
  for (const char* ext : {".obs.srt", ".depth.csv", ".avi", ".AVI", ".srt", ".SRT"}) {
    const std::string e = ext;
    if (s.size() > e.size() && s.ends_with(e)) return s.substr(0, s.size() - e.size());
  }
  return s;
}

}  // namespace

RecordingInputs resolve_recording(const std::string& recording) {
  const fs::path base = base_of(recording);
  RecordingInputs in;
  for (const char* ext : {".avi", ".AVI"})
    if (is_file(base.string() + ext)) {
      in.avi = base.string() + ext;
      break;
    }
  if (in.avi.empty()) throw ExportError("vidéo introuvable : " + base.string() + ".avi");
  for (const char* ext : {".srt", ".SRT"})
    if (is_file(base.string() + ext)) {
      in.srt = base.string() + ext;
      break;
    }
  if (in.srt.empty())
    throw ExportError("sous-titres de profondeur introuvables : " + base.string() +
                      ".srt (la profondeur ne "
                      "peut pas être mise dans le fichier exporté)");
  if (is_file(base.string() + ".obs.srt")) in.observations = base.string() + ".obs.srt";
  if (is_file(base.string() + ".depth.csv")) in.depth_record = base.string() + ".depth.csv";
  return in;
}

}  // namespace wellvue::exporting
