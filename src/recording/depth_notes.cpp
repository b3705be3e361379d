#include "recording/depth_notes.h"

#include <filesystem>

#include "util/cp1252.h"
#include "util/date_time.h"
#include "util/depth_text.h"

namespace wellvue {
namespace {

// A photo name taken this many times over is a loop, not a busy folder.
constexpr int kMostNumbers = 999;

std::string safe_for_file(std::string text) {
  for (char& c : text) {
    if (c == '/' || c == '\0' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
        c == '|')
      c = '-';
  }
  return text;
}

std::string stem_of(const std::string& utf8_file) { return std::filesystem::path(utf8_file).stem().string(); }

}  // namespace

std::string photo_file_name(const std::string& name, const std::string& depth, const std::string& code, int number) {
  std::string file = safe_for_file(name) + " " + safe_for_file(depth);
  if (!code.empty()) file += " " + safe_for_file(code);
  if (number > 1) file += " (" + std::to_string(number) + ")";
  return file + ".jpg";
}

DepthNotes::DepthNotes(TVideoCapture& engine, EncoderLink& link, RecordingHost& host, RecordingWorkflow* workflow,
                       Prompter& prompter, Clock& clock)
    : engine_(engine), link_(link), host_(host), workflow_(workflow), prompter_(prompter), clock_(clock) {}

bool DepthNotes::take_photo() {
  if (!save_picture({}, {})) return false;
  if (workflow_) workflow_->note_event("snapshot", std::filesystem::path(last_photo_).filename().string());
  return true;
}

bool DepthNotes::observe(const std::string& code, const std::string& note) {
  const bool saved = save_picture(code, note);
  if (workflow_) {
    workflow_->note_event("observation", note.empty() ? code : code + ": " + note);
    workflow_->add_observation(code, note);
    if (saved) workflow_->note_event("snapshot", std::filesystem::path(last_photo_).filename().string());
  }
  return true;
}

bool DepthNotes::save_picture(const std::string& code, const std::string& note) {
  const DepthState& s = link_.state();
  const bool recording = workflow_ && workflow_->recording();
  // Beside the recording, under its name; otherwise in the video folder under the prefix.
  std::string folder = recording ? workflow_->folder() : cp1252_to_utf8(host_.video_folder());
  const std::string name = recording ? stem_of(cp1252_to_utf8(workflow_->avi_name())) : cp1252_to_utf8(host_.prefix());
  if (folder.empty()) folder = ".";
  const std::string depth = cp1252_to_utf8(depth_text(s.depth_m));
  const std::string water = s.water_zero >= 0 ? cp1252_to_utf8(depth_text(s.water_depth_m)) : "---";

  std::vector<std::string> band = {
      cp1252_to_utf8(link_.main_fields().Edit_nom_forage) + "    " + default_date_time_text(clock_.local_now()),
      "Profondeur " + depth + "    Eau " + water};
  if (!code.empty()) band.push_back(note.empty() ? code : code + " : " + note);

  for (int number = 1; number <= kMostNumbers; ++number) {
    const std::string path = (std::filesystem::path(folder) / photo_file_name(name, depth, code, number)).string();
    const SnapshotResult result = engine_.save_snapshot(path, band);
    if (result.status == SnapshotStatus::NameTaken && result.error == EEXIST) continue;
    if (!result.ok()) {
      prompter_.inform(result.message);
      return false;
    }
    last_photo_ = path;
    host_.show_warning(utf8_to_cp1252("Photo enregistrée : " + std::filesystem::path(path).filename().string()));
    return true;
  }
  prompter_.inform(utf8_to_cp1252("Photo non enregistrée : trop de photos portent déjà ce nom dans " + folder + "."));
  return false;
}

}  // namespace wellvue
