#include "recording/observation_track.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "util/depth_text.h"
#include "util/srt_entry.h"
#include "util/text_file.h"
#include "util/time_code.h"

namespace wellvue {

namespace {

// A line end in a typed text would end the cue early; the text stays on its line.
std::string one_line(const std::string& s) {
  std::string out = s;
  std::replace_if(
      out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  const auto first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

constexpr const char* kDash = " \xE2\x80\x94 ";  // " — "

}  // namespace

bool ObservationTrack::open(const std::string& utf8_path) {
  close();
  path_ = utf8_path;
  observations_.clear();
  failed_ = false;
  if (!SrtJournal::can_open(path_)) return false;
  if (::unlink(path_.c_str()) != 0 && errno != ENOENT) return false;
  open_ = true;
  end_ms_ = -1;
  return true;
}

std::vector<std::string> ObservationTrack::cue_lines(std::size_t i, bool last) const {
  const Observation& o = observations_[i];
  std::int64_t end = o.start_ms + kShownMs;
  if (!last && i + 1 < observations_.size()) end = std::min(end, observations_[i + 1].start_ms);
  if (end_ms_ >= 0) end = std::max(std::min(end, end_ms_), o.start_ms + 1);
  SrtEntry e;
  e.number = static_cast<long long>(i) + 1;
  e.start = time_code_of_ms(static_cast<std::uint64_t>(o.start_ms));
  e.end = time_code_of_ms(static_cast<std::uint64_t>(end));
  e.text.push_back(o.code + kDash + depth_text(o.depth_m));
  if (!o.note.empty()) e.text.push_back(o.note);
  return e.lines();
}

void ObservationTrack::add(std::int64_t video_ms, const std::string& code, const std::string& note, double depth_m) {
  if (!open_) return;
  Observation o;
  o.start_ms = std::max<std::int64_t>(0, video_ms);
  // Cues follow the video's order, each at least a millisecond long.
  if (!observations_.empty()) o.start_ms = std::max(o.start_ms, observations_.back().start_ms + 1);
  o.code = one_line(code);
  o.note = one_line(note);
  o.depth_m = depth_m;
  observations_.push_back(std::move(o));
  // The cue before this one stays on disk at its full time until the stop rewrites the file:
  // changing a written cue would risk it in a crash.
  std::size_t first = observations_.size() - 1;
  if (!journal_.is_open()) {
    if (!journal_.open(path_)) {
      failed_ = true;
      return;
    }
    // After a save the journal starts again with everything known so far.
    first = 0;
  }
  for (std::size_t i = first; i < observations_.size(); ++i)
    for (const std::string& line : cue_lines(i, i + 1 == observations_.size())) journal_.line(line);
}

std::vector<std::string> ObservationTrack::file_lines() const {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < observations_.size(); ++i) {
    const std::vector<std::string> cue = cue_lines(i, false);
    lines.insert(lines.end(), cue.begin(), cue.end());
  }
  return lines;
}

bool ObservationTrack::save() {
  if (!open_ || observations_.empty()) return true;
  // The journal's file is replaced: what is added later starts a new journal.
  failed_ = failed_ || journal_.failed();
  journal_.close();
  if (write_text_lines(path_, file_lines())) return true;
  failed_ = true;
  return false;
}

void ObservationTrack::close() {
  failed_ = failed_ || journal_.failed();
  journal_.close();
  open_ = false;
}

}  // namespace wellvue
