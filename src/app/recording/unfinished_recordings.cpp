#include "app/recording/unfinished_recordings.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "capture/avi/avi_repair.h"
#include "capture/capture_files.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/numbers.h"
#include "util/text_file.h"

namespace wellvue {
namespace fs = std::filesystem;

namespace {

const std::string kAviKey = "avi = ";
const std::string kSrtKey = "srt = ";

std::string note_path(const std::string& recording_file) { return recording_file + kRecordingNoteSuffix; }

bool read_note(const fs::path& path, RecordingNote& note) {
  std::vector<std::string> lines;
  try {
    lines = read_text_lines(path);
  } catch (const ConversionError&) {
    return false;
  }
  std::string name = path.string();
  note.recording_file = name.substr(0, name.size() - std::string(kRecordingNoteSuffix).size());
  for (const auto& l : lines) {
    if (l.rfind(kAviKey, 0) == 0) note.avi_name = l.substr(kAviKey.size());
    if (l.rfind(kSrtKey, 0) == 0) note.srt_name = l.substr(kSrtKey.size());
  }
  return !note.avi_name.empty();
}

bool exists(const std::string& p) {
  std::error_code ec;
  return fs::exists(fs::path(p), ec);
}

RecoveredRecording recover(const RecordingNote& note) {
  RecoveredRecording r;
  r.path = note.recording_file;
  const avi::RepairResult repair = avi::repair_avi(note.recording_file);
  r.frames = repair.frames;
  r.duration_s = repair.duration_seconds;
  if (repair.status == avi::RepairStatus::Empty) {
    CaptureFiles().remove(note.recording_file);
    r.outcome = RecoveredRecording::Outcome::Empty;
    return r;
  }
  if (repair.status == avi::RepairStatus::Failed) {
    r.outcome = RecoveredRecording::Outcome::KeptUnrepaired;
    r.reason = repair.message;
  }
  if (note.avi_name != note.recording_file) {
    std::error_code ec;
    if (CaptureFiles().move(note.recording_file, note.avi_name, ec)) {
      r.path = note.avi_name;
    } else {
      r.outcome = RecoveredRecording::Outcome::KeptInPlace;
      r.reason = utf8_to_cp1252(ec.message());
      // Under its own name beside the temporary file, which the next recording would overwrite.
      const fs::path aside = fs::path(note.recording_file).parent_path() / fs::path(note.avi_name).filename();
      std::error_code ec2;
      if (!exists(aside.string())) {
        fs::rename(note.recording_file, aside, ec2);
        if (!ec2) r.path = aside.string();
      }
    }
  }
  if (!note.srt_name.empty() && exists(note.srt_name)) r.srt_name = note.srt_name;
  return r;
}

}  // namespace

bool write_recording_note(const RecordingNote& note) {
  return write_text_lines(note_path(note.recording_file), {kAviKey + note.avi_name, kSrtKey + note.srt_name});
}

void remove_recording_note(const std::string& recording_file) {
  std::error_code ec;
  fs::remove(note_path(recording_file), ec);
}

std::vector<RecoveredRecording> recover_unfinished_recordings(const std::string& folder) {
  std::vector<RecoveredRecording> out;
  std::error_code ec;
  std::vector<fs::path> notes;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const std::string suffix = kRecordingNoteSuffix;
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      notes.push_back(it->path());
  }
  for (const auto& path : notes) {
    RecordingNote note;
    if (!read_note(path, note)) continue;
    // Without its file the recording was finished (moved) before the note could go.
    if (exists(note.recording_file)) {
      RecoveredRecording r = recover(note);
      // A recording still under the temporary name keeps its note, so a later start-up tries again.
      const bool still_there = r.path == note.recording_file && note.avi_name != note.recording_file &&
                               r.outcome != RecoveredRecording::Outcome::Empty;
      out.push_back(std::move(r));
      if (still_there) continue;
    }
    fs::remove(path, ec);
  }
  return out;
}

std::string recording_folders_file(const std::string& settings_file) {
  fs::path p(settings_file);
  p.replace_extension(".dossiers");
  return p.string();
}

std::vector<std::string> remembered_recording_folders(const std::string& list_file) {
  std::error_code ec;
  if (list_file.empty() || !fs::exists(list_file, ec)) return {};
  std::vector<std::string> folders;
  try {
    for (std::string& line : read_text_lines(list_file))
      if (!line.empty()) folders.push_back(std::move(line));
  } catch (const ConversionError&) {
    return {};
  }
  return folders;
}

bool remember_recording_folder(const std::string& list_file, const std::string& folder) {
  if (list_file.empty() || folder.empty()) return false;
  std::vector<std::string> folders{folder};
  for (std::string& f : remembered_recording_folders(list_file))
    if (f != folder && folders.size() < kRememberedFolders) folders.push_back(std::move(f));
  return write_text_lines(list_file, folders, true);
}

std::vector<RecoveredRecording> recover_unfinished_recordings(const std::vector<std::string>& folders) {
  std::vector<RecoveredRecording> out;
  std::vector<fs::path> seen;
  for (const std::string& folder : folders) {
    std::error_code ec;
    fs::path key = fs::weakly_canonical(folder, ec);
    if (ec) key = fs::path(folder).lexically_normal();
    if (folder.empty() || std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(key);
    for (RecoveredRecording& r : recover_unfinished_recordings(folder)) out.push_back(std::move(r));
  }
  return out;
}

std::string recovery_message(const std::vector<RecoveredRecording>& recovered) {
  std::string text;
  for (const auto& r : recovered) {
    const std::string where = utf8_to_cp1252(r.path);
    switch (r.outcome) {
      case RecoveredRecording::Outcome::Empty:
        continue;
      case RecoveredRecording::Outcome::Recovered:
        text += "  " + where + "   (" + format_pattern(r.duration_s, "0.0") + " s)\n";
        break;
      case RecoveredRecording::Outcome::KeptUnrepaired:
        text += "  " + where + "   (non r\xE9par\xE9 : " + r.reason + ")\n";
        break;
      case RecoveredRecording::Outcome::KeptInPlace:
        text += "  " + where + "   (laiss\xE9 \xE0 cette place : " + r.reason + ")\n";
        break;
    }
    if (!r.srt_name.empty()) text += "  " + utf8_to_cp1252(r.srt_name) + "\n";
    text += "\n";
  }
  if (text.empty()) return text;
  return " enregistrement interrompu r\xE9" "cup\xE9r\xE9 ... \n\n" + text;
}

}  // namespace wellvue
