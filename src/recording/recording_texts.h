// Names and texts of a recording: the AVI and SRT names built from the folder, the prefix and the
// date stamp, the time codes of the closing entries, the elapsed-time text and the operator's texts.
#pragma once
#include <cstdint>
#include <string>

#include "util/date_time.h"

namespace wellvue {

// folder + "/" + prefix without trailing blanks [+ " " + date stamp] + the format's extension (CP1252 texts).
std::string recording_name(const std::string& folder, const std::string& prefix, bool with_date,
                           const LocalDateTime& now);
// The same name with ".srt" in place of its extension.
std::string subtitle_name(const std::string& avi_name);
// The name without its extension.
std::string name_without_extension(const std::string& name);
// hh:mm:ss,mmm of a millisecond count; the hours count, so 75 minutes read 01:15:00,000.
std::string stop_time_code(std::uint64_t ms);
// Milliseconds of a time code written by stop_time_code or by the track; -1 when it is none.
std::int64_t time_code_ms(const std::string& code);
// " 2 mn  12.3 s": whole minutes, then the seconds within the minute (locale decimal mark).
std::string elapsed_text(std::uint32_t ms);

// The questions and messages of the start and the stop (CP1252).
std::string overwrite_question(const std::string& avi_name);
std::string file_name_message(const std::string& avi_name);
extern const char* const kZeroQuestion;
std::string recorded_message(const std::string& avi_name, const std::string& elapsed);
// The recording could not take its name: it stays under `kept`.
std::string kept_message(const std::string& kept, const std::string& avi_name, const std::string& elapsed);
// No picture reached the file (camera silent or stopped at once): there is no video, only the
// subtitles beside where it would be.
std::string no_video_message(const std::string& avi_name, const std::string& srt_name);
// The start message with the recording time the free space allows (whole minutes).
std::string file_name_message(const std::string& avi_name, std::uint64_t free_minutes);
// The free space of the folder holds less than a minute of recording.
std::string no_room_message(const std::string& folder, std::uint64_t seconds);
// A folder or a name that cannot take the recording; the question offers another folder.
std::string other_folder_question(const std::string& problem);
std::string refused_name_message(const std::string& problem);
// The subtitle file cannot be created: the recording is not started.
std::string journal_open_message(const std::string& srt_name);
// Shown once in the status bar while recording, without stopping anything.
extern const char* const kJournalWriteWarning;
extern const char* const kDepthJournalWarning;
std::string low_space_warning(std::uint64_t minutes);
// The engine ended the recording by itself (`reason` is its text): what was saved and where.
std::string aborted_message(const std::string& reason, const std::string& video, double video_seconds,
                            const std::string& srt_name, bool srt_saved);
extern const char* const kStoppedText;
extern const char* const kZeroDepthText;

}  // namespace wellvue
