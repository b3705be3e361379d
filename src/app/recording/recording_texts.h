// Names and texts of a recording: the AVI and SRT names built from the folder, the prefix and the
// date stamp, the time codes of the closing entries, the elapsed-time text and the operator's texts.
#pragma once
#include <cstdint>
#include <string>

#include "util/date_time.h"

namespace wellvue {

// folder + "/" + prefix without trailing blanks [+ " " + date stamp] + ".avi" (CP1252 texts).
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
extern const char* const kStoppedText;
extern const char* const kZeroDepthText;

}  // namespace wellvue
