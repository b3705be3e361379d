#include "recording/unfinished_recordings.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "capture/recording_format.h"
#include "recording/depth_record.h"
#include "recording/recording_files.h"
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

// Why the note must not be acted on; empty when it may. The note is anyone's text: it may name
// any path, and its folder may be shared with other users.
std::string note_problem(const fs::path& note_file, const RecordingNote& note) {
  const fs::path folder = note_file.parent_path().lexically_normal();
  if (!is_own_plain_file(note_file.string())) return "note d'un autre utilisateur ou lien";
  if (!is_own_plain_file(note.recording_file)) return "vid\xE9o d'un autre utilisateur ou lien";
  const std::string depth = depth_record_name(note.avi_name);
  for (const std::string* name : {&note.avi_name, &note.srt_name, &depth}) {
    if (name->empty()) continue;
    const fs::path p = fs::path(*name).lexically_normal();
    if (p.parent_path() != folder || p.filename().empty() || p.filename() == "..")
      return "nom hors du r\xE9pertoire de la note : " + utf8_to_cp1252(*name);
    if (exists(*name) || fs::is_symlink(p)) {
      if (!is_own_plain_file(*name))
        return "n'est pas un fichier ordinaire de l'utilisateur : " + utf8_to_cp1252(*name);
    }
  }
  return {};
}

// `to`, or `to` with -1, -2 ... before its extension when that name is taken; nothing replaced.
bool move_beside(const std::string& from, const std::string& to, std::string& moved_to, std::error_code& ec) {
  const fs::path p(to);
  for (int n = 0; n < 1000; ++n) {
    const std::string target =
        n == 0 ? to
               : (p.parent_path() / (p.stem().string() + "-" + std::to_string(n) + p.extension().string())).string();
    if (rename_no_replace(from, target, ec)) {
      moved_to = target;
      return true;
    }
    if (ec != std::errc::file_exists) return false;
  }
  return false;
}

RecoveredRecording recover(const RecordingNote& note) {
  RecoveredRecording r;
  r.path = note.recording_file;
  const RecordingFormat& format = default_recording_format();
  const Recovery repair = format.repair(note.recording_file);
  r.frames = repair.frames;
  r.duration_s = repair.duration_seconds;
  if (repair.status == RecoveryStatus::Empty) {
    // Nothing to play, but still the operator's: kept out of the way, not deleted.
    std::error_code ec;
    const std::string aside = format.set_aside(note.recording_file, ec);
    if (aside.empty()) {
      r.outcome = RecoveredRecording::Outcome::KeptInPlace;
      r.reason = utf8_to_cp1252(ec.message());
    } else {
      r.outcome = RecoveredRecording::Outcome::Empty;
      r.path = aside;
    }
    if (!note.srt_name.empty() && exists(note.srt_name)) r.srt_name = note.srt_name;
    if (exists(depth_record_name(note.avi_name))) r.depth_name = depth_record_name(note.avi_name);
    return r;
  }
  if (repair.status == RecoveryStatus::Failed) {
    r.outcome = RecoveredRecording::Outcome::KeptUnrepaired;
    r.reason = repair.message;
  }
  if (note.avi_name != note.recording_file) {
    std::error_code ec;
    std::string moved_to;
    if (move_beside(note.recording_file, note.avi_name, moved_to, ec)) {
      r.path = moved_to;
    } else {
      r.outcome = RecoveredRecording::Outcome::KeptInPlace;
      r.reason = utf8_to_cp1252(ec.message());
    }
  }
  if (!note.srt_name.empty() && exists(note.srt_name)) r.srt_name = note.srt_name;
  if (exists(depth_record_name(note.avi_name))) r.depth_name = depth_record_name(note.avi_name);
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
    if (!is_own_plain_file(path.string()) || !read_note(path, note)) continue;
    // Without its file the recording was finished (moved) before the note could go.
    if (exists(note.recording_file) || fs::is_symlink(note.recording_file)) {
      const std::string problem = note_problem(path, note);
      if (!problem.empty()) {
        // Left as found: the operator is told, nothing is moved or written.
        RecoveredRecording refused;
        refused.outcome = RecoveredRecording::Outcome::Refused;
        refused.path = path.string();
        refused.reason = problem;
        out.push_back(std::move(refused));
        continue;
      }
      RecoveredRecording r = recover(note);
      // A recording still under the temporary name keeps its note, so a later start-up tries again.
      const bool still_there = r.path == note.recording_file && note.avi_name != note.recording_file;
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
        text += "  " + where +
                "   (aucune image r\xE9"
                "cup\xE9rable : mis de c\xF4t\xE9)\n";
        break;
      case RecoveredRecording::Outcome::Refused:
        text += "  " + where + "   (ignor\xE9 : " + r.reason + ")\n";
        break;
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
    if (!r.depth_name.empty()) text += "  " + utf8_to_cp1252(r.depth_name) + "\n";
    text += "\n";
  }
  if (text.empty()) return text;
  return " enregistrement interrompu r\xE9"
         "cup\xE9r\xE9 ... \n\n" +
         text;
}

}  // namespace wellvue
