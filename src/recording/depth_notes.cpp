#include "recording/depth_notes.h"

#include <cerrno>
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
  const std::optional<PhotoPress> press = press_photo();
  return press && photo_written(*press, write_photo(*press));
}

bool DepthNotes::observe(const std::string& code, const std::string& note) {
  if (const std::optional<PhotoPress> press = press_observation(code, note)) photo_written(*press, write_photo(*press));
  return true;
}

std::optional<PhotoPress> DepthNotes::press_observation(const std::string& code, const std::string& note) {
  if (workflow_) {
    workflow_->note_event("observation", note.empty() ? code : code + ": " + note);
    workflow_->add_observation(code, note);
  }
  return press_photo(code, note);
}

std::optional<PhotoPress> DepthNotes::press_photo(const std::string& code, const std::string& note) {
  TakenSnapshot taken = engine_.take_snapshot();
  if (!taken.picture) {
    prompter_.inform(taken.failure.message);
    return std::nullopt;
  }
  const DepthState& s = link_.state();
  const bool recording = workflow_ && workflow_->recording();
  PhotoPress press;
  press.picture = std::move(taken.picture);
  // Beside the recording, under its name; otherwise in the video folder under the prefix.
  press.folder = recording ? workflow_->folder() : cp1252_to_utf8(host_.video_folder());
  press.name = recording ? stem_of(cp1252_to_utf8(workflow_->avi_name())) : cp1252_to_utf8(host_.prefix());
  if (press.folder.empty()) press.folder = ".";
  press.depth = cp1252_to_utf8(depth_text(s.depth_m));
  press.code = code;
  const std::string water = s.water_zero >= 0 ? cp1252_to_utf8(depth_text(s.water_depth_m)) : "---";
  press.band = {
      cp1252_to_utf8(link_.main_fields().Edit_nom_forage) + "    " + default_date_time_text(clock_.local_now()),
      "Profondeur " + press.depth + "    Eau " + water};
  if (!code.empty()) press.band.push_back(note.empty() ? code : code + " : " + note);
  if (workflow_) press.snapshot_row = workflow_->event_row_now("snapshot");
  return press;
}

PhotoWritten write_photo(const PhotoPress& press) {
  PhotoWritten written;
  for (int number = 1; number <= kMostNumbers; ++number) {
    const std::string path =
        (std::filesystem::path(press.folder) / photo_file_name(press.name, press.depth, press.code, number)).string();
    const SnapshotResult result = press.picture->save(path, press.band);
    if (result.status == SnapshotStatus::NameTaken && result.error == EEXIST) continue;
    if (!result.ok()) {
      written.message = result.message;
      return written;
    }
    written.saved = true;
    written.path = path;
    return written;
  }
  written.message =
      utf8_to_cp1252("Photo non enregistrée : trop de photos portent déjà ce nom dans " + press.folder + ".");
  return written;
}

bool DepthNotes::photo_written(const PhotoPress& press, const PhotoWritten& written) {
  if (!written.saved) {
    prompter_.inform(written.message);
    return false;
  }
  last_photo_ = written.path;
  const std::string file = std::filesystem::path(written.path).filename().string();
  host_.show_warning(utf8_to_cp1252("Photo enregistrée : " + file));
  if (workflow_ && press.snapshot_row) {
    DepthRow row = *press.snapshot_row;
    row.detail = file;
    workflow_->add_event_row(std::move(row));
  }
  return true;
}

}  // namespace wellvue
