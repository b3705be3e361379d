#include "recording/depth_notes.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "util/cp1252.h"
#include "util/date_time.h"
#include "util/depth_text.h"
#include "util/numbers.h"

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

// "hh:mm:ss" of a video time.
std::string clock_text(std::int64_t ms) {
  const std::int64_t s = ms / 1000;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return buf;
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
  if (const std::optional<PhotoPress> press = save_observation(press_observation(), code, note))
    photo_written(*press, write_photo(*press));
  return true;
}

ObservationPress DepthNotes::press_observation() {
  ObservationPress press;
  const DepthPress at = link_.press_now();
  press.depth_m = at.depth_m;
  if (workflow_) {
    press.row = workflow_->event_row_now("observation");
    press.video_ms = workflow_->video_ms_now();
    // The row and the observation carry one depth: the one of the press.
    if (press.row) press.row->depth_m = press.depth_m;
  }
  press.photo = photo_at(at);
  press.heading = "Observation \u00e0 " + cp1252_to_utf8(format_pattern(press.depth_m, "0.00")) + " m";
  if (press.video_ms) press.heading += ", " + clock_text(*press.video_ms);
  return press;
}

std::optional<PhotoPress> DepthNotes::save_observation(ObservationPress press, const std::string& code,
                                                       const std::string& note) {
  if (workflow_ && press.row) {
    DepthRow row = *press.row;
    row.detail = note.empty() ? code : code + ": " + note;
    workflow_->add_event_row(std::move(row));
  }
  if (workflow_ && press.video_ms) workflow_->add_observation_at(*press.video_ms, press.depth_m, code, note);
  if (!press.photo) return std::nullopt;
  PhotoPress& photo = *press.photo;
  photo.code = code;
  photo.band.push_back(note.empty() ? code : code + " : " + note);
  return std::move(photo);
}

std::optional<PhotoPress> DepthNotes::press_photo(const std::string& code, const std::string& note) {
  std::optional<PhotoPress> press = photo_at(link_.press_now());
  if (press && !code.empty()) {
    press->code = code;
    press->band.push_back(note.empty() ? code : code + " : " + note);
  }
  return press;
}

std::optional<PhotoPress> DepthNotes::photo_at(const DepthPress& at) {
  TakenSnapshot taken = engine_.take_snapshot();
  if (!taken.picture) {
    prompter_.inform(taken.failure.message);
    return std::nullopt;
  }
  const bool recording = workflow_ && workflow_->recording();
  PhotoPress press;
  press.picture = std::move(taken.picture);
  // Beside the recording, under its name; otherwise in the video folder under the prefix.
  press.folder = recording ? workflow_->folder() : cp1252_to_utf8(host_.video_folder());
  press.name = recording ? stem_of(cp1252_to_utf8(workflow_->avi_name())) : cp1252_to_utf8(host_.prefix());
  if (press.folder.empty()) press.folder = ".";
  press.depth = cp1252_to_utf8(depth_text(at.depth_m));
  // Above the water zero there is no water depth to show.
  const std::string water = at.water_depth_m ? cp1252_to_utf8(depth_text(*at.water_depth_m)) : "---";
  press.band = {
      cp1252_to_utf8(link_.main_fields().Edit_nom_forage) + "    " + default_date_time_text(clock_.local_now()),
      "Profondeur " + press.depth + "    Eau " + water};
  if (workflow_) press.snapshot_row = workflow_->event_row_now("snapshot");
  if (press.snapshot_row) press.snapshot_row->depth_m = at.depth_m;
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
