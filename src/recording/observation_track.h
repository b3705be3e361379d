// The observations of a recording as a second subtitle file "<name>.obs.srt" (UTF-8, CR LF):
// each observation shows its code and depth, and its note under them, for a few seconds of the
// video. Every cue goes to disk as soon as it is made, so a crash keeps it; the stop writes the
// whole file again, each cue cut short where the next one starts.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "recording/srt_journal.h"

namespace wellvue {

class ObservationTrack {
 public:
  // How long an observation stays on the video when nothing follows it sooner.
  static constexpr std::int64_t kShownMs = 5000;

  struct Observation {
    std::int64_t start_ms = 0;
    std::string code;  // UTF-8
    std::string note;  // UTF-8, may be empty
    double depth_m = 0;
  };

  // At the start of a recording: the file's path (UTF-8). False when no file can be made there.
  // A file of an earlier recording of that name goes (it belongs to the video being replaced);
  // none is made until the first observation.
  bool open(const std::string& utf8_path);
  // An observation at video_ms of the recording, journaled at once.
  void add(std::int64_t video_ms, const std::string& code, const std::string& note, double depth_m);
  // Where the video ends: no cue shows past it (one that began in the last millisecond keeps one).
  void end_at(std::int64_t video_end_ms) { end_ms_ = video_end_ms; }
  // Writes the whole file with its final cue times, replacing the journal in one step; true when
  // done (also when there is no observation, and so no file).
  bool save();
  // Ends the recording's track (what was journaled stays on disk).
  void close();
  // A journal write or the save failed since open.
  bool failed() const { return failed_ || (journal_.is_open() && journal_.failed()); }

  const std::vector<Observation>& observations() const { return observations_; }
  // The file's lines as save() writes them (the ending blank lines included).
  std::vector<std::string> file_lines() const;

 private:
  // The cue of observation i; `last` shows it its whole time (the next one is not known yet).
  std::vector<std::string> cue_lines(std::size_t i, bool last) const;

  std::string path_;
  bool open_ = false;
  bool failed_ = false;
  std::int64_t end_ms_ = -1;  // the video's end once known; -1: not yet
  SrtJournal journal_;
  std::vector<Observation> observations_;
};

}  // namespace wellvue
