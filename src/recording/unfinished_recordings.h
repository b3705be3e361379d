// Recordings left unfinished by a crash or a power cut. While a recording runs, a small note beside
// the file it goes to names the file it was recorded for and its subtitle file (its depth record
// is beside the name it is recorded for); at start-up every
// note found in the video folder, or in a folder where the station recorded before, marks a
// recording to repair and move to its name. Only a note of this user naming plain files beside it
// is acted on, and no file already there is ever replaced.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wellvue {

// Ending of the note's name, put after the name of the recording file.
inline constexpr const char* kRecordingNoteSuffix = ".enregistrement";

// All paths are UTF-8 file names.
struct RecordingNote {
  std::string recording_file;  // the file the engine writes
  std::string avi_name;        // the name it is recorded for
  std::string srt_name;        // its subtitle file
};

// Writes the note beside note.recording_file; false when it cannot be written.
bool write_recording_note(const RecordingNote& note);
// Removes the note of that recording file (nothing when there is none).
void remove_recording_note(const std::string& recording_file);

struct RecoveredRecording {
  enum class Outcome {
    Recovered,       // repaired (or already whole) and under its name
    KeptUnrepaired,  // could not be repaired: under its name as it was on disk
    KeptInPlace,     // could not be moved: left at `path`
    Empty,           // no frame reached the file: set aside at `path`, never deleted
    Refused,         // the note is not acted on (`path` is the note, `reason` says why)
  };
  Outcome outcome = Outcome::Recovered;
  std::string path;        // where the video is now
  std::string srt_name;    // its subtitle file, empty when there is none on disk
  std::string depth_name;  // its depth record, empty when there is none on disk
  std::uint64_t frames = 0;
  double duration_s = 0;
  std::string reason;  // why it is not fully recovered (CP1252)
};

// Repairs and moves every unfinished recording noted in `folder`, and removes their notes.
std::vector<RecoveredRecording> recover_unfinished_recordings(const std::string& folder);

// The folders where the station's recordings were written, latest first, kept in a small file
// beside its settings: the video folder may have changed since the crash. Folder names in UTF-8.
inline constexpr std::size_t kRememberedFolders = 16;
std::string recording_folders_file(const std::string& settings_file);
// Puts folder first in the list (once), keeping the latest kRememberedFolders; false when the
// list cannot be written.
bool remember_recording_folder(const std::string& list_file, const std::string& folder);
// The list; empty when there is none or it cannot be read.
std::vector<std::string> remembered_recording_folders(const std::string& list_file);
// recover_unfinished_recordings over each folder once, in order.
std::vector<RecoveredRecording> recover_unfinished_recordings(const std::vector<std::string>& folders);

// The message that tells the operator what was recovered (CP1252); empty when nothing to tell.
std::string recovery_message(const std::vector<RecoveredRecording>& recovered);

}  // namespace wellvue
