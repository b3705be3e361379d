#include "recording/recording_workflow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "capture/recording_format.h"
#include "capture/recording_rate.h"
#include "recording/recording_files.h"
#include "recording/recording_texts.h"
#include "recording/unfinished_recordings.h"
#include "util/cp1252.h"
#include "util/file_error.h"
#include "util/numbers.h"
#include "util/settings_values.h"
#include "util/text.h"
#include "util/text_file.h"
#include "util/version.h"

namespace wellvue {

namespace {

namespace fs = std::filesystem;

bool file_exists(const std::string& utf8) {
  std::error_code ec;
  return fs::exists(fs::path(utf8), ec);
}

// The folder as an absolute name without a trailing separator: every file of the recording is
// named from it, never from the working folder.
std::string absolute_folder(const std::string& utf8) {
  if (utf8.empty()) return {};
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(utf8), ec);
  if (ec) return {};
  p = p.lexically_normal();
  if (p.filename().empty() && p.has_parent_path() && p != p.root_path()) p = p.parent_path();
  return p.string();
}

// What the file really holds: the frames on disk at the stream's rate; nullopt when it is not a
// recording of the station's format.
std::optional<double> recorded_seconds(const std::string& utf8, bool& finalised) {
  finalised = false;
  const std::optional<RecordedLength> length = default_recording_format().read_length(utf8);
  if (!length || length->on_disk_seconds < 0) return std::nullopt;
  finalised = length->finalised;
  return length->on_disk_seconds;
}

// "yyyy-mm-dd hh:mm:ss"
std::string iso_date_time(const LocalDateTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return buf;
}

const char* depth_event_name(DepthEvent e) {
  switch (e) {
    case DepthEvent::CurbZero:
      return "curb_zero";
    case DepthEvent::WaterZero:
      return "water_zero";
    case DepthEvent::Calibration:
      return "calibration";
    case DepthEvent::CounterReset:
      return "counter_reset";
    case DepthEvent::EncoderLost:
      return "encoder_lost";
    case DepthEvent::EncoderBack:
      return "encoder_back";
    case DepthEvent::DepthCorrection:
      return "depth_correction";
  }
  return "event";
}

DepthRow depth_row(const char* event, const DepthReading& r, std::string detail = {}) {
  return {r.track_ms, event, r.board_count, r.tics, r.depth_m, r.water_depth_m, std::move(detail)};
}

constexpr std::uint64_t kLeastSeconds = 60;
constexpr std::uint64_t kWarnSeconds = 5 * 60;
constexpr std::uint32_t kSpaceCheckMs = 2000;

}  // namespace

RecordingWorkflow::RecordingWorkflow(TVideoCapture& engine, TGraphConfig* config, EncoderLink& link, Prompter& prompter,
                                     Clock& clock, RecordingHost& host, RecordingOptions options)
    : engine_(engine),
      config_(config),
      link_(link),
      prompter_(prompter),
      clock_(clock),
      host_(host),
      options_(options),
      hasher_(options_.hash_failed) {
  EncoderLink::TrackListener listener;
  listener.line = [this](const std::string& line) { journal_.line(line); };
  listener.cleared = [this] { journal_.cleared(); };
  // A line read before the first progress tick is timed from the first frame too, when it is known.
  listener.before_time_code = [this] { refine_origin(); };
  link_.set_track_listener(std::move(listener));
  link_.set_depth_record_sink(&depth_feed_);
  engine_.OnAborted = [this](TVideoCapture&) { engine_aborted(); };
}

RecordingWorkflow::~RecordingWorkflow() {
  engine_.OnAborted = nullptr;
  link_.set_track_listener({});
  link_.set_depth_record_sink(nullptr);
  if (recording_) link_.set_track_origin(std::nullopt);
}

namespace {

// "<name>.obs.srt" beside "<name>.avi".
std::string observation_track_name(const std::string& avi_name) {
  return name_without_extension(avi_name) + ".obs.srt";
}

}  // namespace

bool RecordingWorkflow::prepare_names(std::uint64_t& free_minutes) {
  folder_ = absolute_folder(cp1252_to_utf8(host_.video_folder()));
  std::string problem = video_folder_problem(folder_);
  if (!problem.empty()) {
    if (!prompter_.ask_yes_no(other_folder_question(problem)) || !host_.choose_video_folder()) return false;
    folder_ = absolute_folder(cp1252_to_utf8(host_.video_folder()));
    problem = video_folder_problem(folder_);
    if (!problem.empty()) {
      prompter_.inform(problem);
      return false;
    }
  }
  avi_name_ = recording_name(utf8_to_cp1252(folder_), host_.prefix(), host_.with_date(), clock_.local_now());
  srt_name_ = subtitle_name(avi_name_);
  const std::string avi = cp1252_to_utf8(avi_name_);
  const std::string srt = cp1252_to_utf8(srt_name_);
  // A prefix holding a separator would put the files in another folder.
  if (fs::path(avi).parent_path() != fs::path(folder_)) {
    prompter_.inform(refused_name_message(" Nom de fichier refus\xE9 : " + avi_name_));
    return false;
  }
  const std::string depth = depth_record_name(avi);
  for (const std::string* name : {&avi, &srt, &depth}) {
    problem = final_name_problem(*name);
    if (!problem.empty()) {
      prompter_.inform(refused_name_message(problem));
      return false;
    }
  }
  if (!SrtJournal::can_open(srt)) {
    prompter_.inform(journal_open_message(srt_name_));
    return false;
  }

  TGraphConfig now;
  engine_.FillConfig(&now);
  bytes_per_second_ =
      EstimatedBytesPerSecond(now.VideoCompressorName, now.VCapMode.Width, now.VCapMode.Height, now.VCapMode.FrameRate);
  const std::optional<std::uint64_t> free = free_bytes(folder_);
  const std::uint64_t usable = free ? (*free > DiskReserve::kBytes ? *free - DiskReserve::kBytes : 0) : 0;
  const std::uint64_t seconds = usable / std::max<std::uint64_t>(bytes_per_second_, 1);
  if (!free || seconds < kLeastSeconds) {
    prompter_.inform(no_room_message(utf8_to_cp1252(folder_), seconds));
    return false;
  }
  free_minutes = seconds / 60;
  return true;
}

bool RecordingWorkflow::btStartClick() {
  // The port's reopen lets the event loop run: a second press meanwhile starts nothing.
  if (starting_) return false;
  if (recording_) return engine_.Capturing();
  // The wheel's position at the press: the cable drawn while the questions are open counts once.
  const DepthPress press = link_.press_now();
  starting_ = true;
  struct Done {
    bool& flag;
    DiskReserve& reserve;
    bool started = false;
    ~Done() {
      flag = false;
      if (!started) reserve.release();
    }
  } done{starting_, reserve_};

  std::uint64_t free_minutes = 0;
  if (!prepare_names(free_minutes)) return false;
  const std::string file = cp1252_to_utf8(avi_name_);
  if (config_) config_->CaptureFileName = file;
  engine_.SetCaptureFileName(file);

  if (file_exists(file)) {
    if (!prompter_.ask_yes_no(overwrite_question(avi_name_))) return false;
  } else {
    prompter_.inform(file_name_message(avi_name_, free_minutes));
  }
  // The zero is the station's own: the board's count is not reset (reopening its port would lose
  // the cable drawn meanwhile), the curb moves to the count of the press.
  const bool zeroed = prompter_.ask_yes_no(kZeroQuestion);
  if (zeroed) {
    link_.zero_counters_at(press);
    host_.set_depth_text(kZeroDepthText);
  }
  // Room for the subtitles and the journal when the video fills the disk.
  if (!reserve_.create(folder_)) {
    prompter_.inform(no_room_message(utf8_to_cp1252(folder_), 0));
    return false;
  }
  last_capture_time_ = -1;
  engine_.SetUseTimeLimit(false);
  if (!engine_.StartCapture(true)) return false;
  done.started = true;

  recording_ = true;
  closing_.clear();
  space_checked_at_ = 0;
  space_warned_ = false;
  journal_warned_ = false;
  host_.show_warning("");  // a notice of an earlier recording goes
  host_.show_acquisition(0);
  link_.begin_recording_track(zeroed ? std::nullopt : std::optional<DepthPress>(press));
  origin_ms_.reset();
  origin_from_frame_ = false;
  if (options_.timing == TrackTiming::FirstFrame) {
    // Until the first frame is known, the moment the file was opened to the picture.
    origin_ms_ = static_cast<std::int64_t>(std::floor(clock_.elapsed_ms()));
    link_.set_track_origin(origin_ms_);
    refine_origin();
  }
  link_.RadioGroup1Click();
  start_journal();
  capCaptureProgress();
  return true;
}

void RecordingWorkflow::start_journal() {
  const std::string srt = cp1252_to_utf8(srt_name_);
  if (!journal_.open(srt)) {
    journal_warned_ = true;
    host_.show_warning(kJournalWriteWarning);
  }
  for (const auto& line : link_.track()) journal_.line(line);
  start_depth_record();
  recording_file_ = engine_.RecordingFile();
  if (recording_file_.empty()) return;
  write_recording_note({recording_file_, cp1252_to_utf8(avi_name_), srt});
  const std::string folder = std::filesystem::path(recording_file_).parent_path().string();
  if (!options_.recording_folders_file.empty()) remember_recording_folder(options_.recording_folders_file, folder);
}

void RecordingWorkflow::start_depth_record() {
  const DepthState& s = link_.state();
  const LinkFields& f = link_.fields();
  DepthRecordStart start;
  const std::string& bore = link_.main_fields().Edit_nom_forage;
  // The borehole name left at its default says nothing: the recording's prefix names the bore.
  start.bore = cp1252_to_utf8(bore == "forage" || trim_blanks(bore).empty() ? host_.prefix() : bore);
  start.date = iso_date_time(clock_.local_now());
  start.station = std::string("Wellvue ") + version();
  try {
    start.circumference_mm_per_turn = std::round(metres_per_turn_as_typed(f.Edit_circ) * 1e6) / 1e3;
  } catch (const ConversionError&) {
    start.circumference_mm_per_turn = s.metres_per_turn * 1000.0;
  }
  start.sign = f.CheckBox3 ? 1 : -1;
  start.tics_per_turn = kTicsPerTurn;
  start.curb_zero_tics = s.curb_zero;
  start.start_depth_m = s.start_depth_cm / 100.0;
  start.depth_offset_m = s.depth_offset_m;
  start.water_zero_tics = s.water_zero < 0 ? -1 : s.water_zero;
  TGraphConfig now;
  engine_.FillConfig(&now);
  start.compressor = now.VideoCompressorName;
  start.frame_rate = now.VCapMode.FrameRate;
  // The rate the source delivers when the settings leave it to the device.
  if (start.frame_rate <= 0) start.frame_rate = engine_.GetCurrentVideoMode().FrameRate;
  if (start.frame_rate <= 0 && engine_.UseFrameRate()) start.frame_rate = engine_.FrameRate();
  depth_header_ = depth_header(start);
  depth_rows_.clear();
  depth_name_ = depth_record_name(cp1252_to_utf8(avi_name_));
  depth_warned_ = !depth_journal_.open(depth_name_, depth_header_);
  if (depth_warned_) host_.show_warning(kDepthJournalWarning);
  depth_recording_ = true;
  add_depth_row(depth_row_now("start", 0));
  const std::string observations = observation_track_name(cp1252_to_utf8(avi_name_));
  if (!observations_.open(observations)) host_.show_warning(cannot_create_file_text(utf8_to_cp1252(observations)));
}

DepthRow RecordingWorkflow::depth_row_now(const std::string& event, std::int64_t video_ms,
                                          const std::string& detail) const {
  const DepthState& s = link_.state();
  DepthRow row{video_ms, event, std::nullopt, s.tics, s.depth_m, std::nullopt, detail};
  if (s.water_zero >= 0) row.water_depth_m = s.water_depth_m;
  return row;
}

void RecordingWorkflow::add_depth_row(DepthRow row) {
  if (!depth_recording_) return;
  depth_journal_.row(row);
  depth_rows_.push_back(std::move(row));
}

void RecordingWorkflow::finish_depth_record(std::int64_t end_ms, const std::string& video,
                                            const std::string& kept_video) {
  // The observations end with the record; the journal stays as it was when the whole file cannot
  // be written.
  observations_.end_at(end_ms);
  if (!observations_.save()) {
    prompter_.inform(cannot_create_file_text(utf8_to_cp1252(observation_track_name(cp1252_to_utf8(avi_name_)))));
  }
  observations_.close();
  if (!depth_recording_) return;
  // A rate the settings left to the device is the one the video file was written at.
  for (auto& [key, value] : depth_header_) {
    if (key != "frame_rate" || value != "0" || video.empty() || !file_exists(video)) continue;
    const std::optional<RecordedLength> length = default_recording_format().read_length(video);
    if (length && length->frames_on_disk > 0 && length->on_disk_seconds > 0) {
      DepthRecordStart rate;
      rate.frame_rate = std::round(static_cast<double>(length->frames_on_disk) / length->on_disk_seconds * 1000) / 1000;
      for (const auto& [k, v] : depth_header(rate))
        if (k == key) value = v;
    }
  }
  add_depth_row(depth_row_now("stop", end_ms));
  depth_recording_ = false;
  depth_journal_.close();
  std::vector<std::string> files{depth_name_};
  if (!kept_video.empty()) files.push_back(depth_record_name(kept_video));
  for (const std::string& file : files) {
    // The journal stays as it was when the whole file cannot be written.
    if (!write_depth_record(file, depth_header_, depth_rows_))
      prompter_.inform(cannot_create_file_text(utf8_to_cp1252(file)));
  }
}

void RecordingWorkflow::DepthFeed::line(const DepthReading& reading) {
  workflow_.add_depth_row(depth_row("line", reading));
}

void RecordingWorkflow::DepthFeed::event(DepthEvent event, const DepthReading& reading, const std::string& detail) {
  workflow_.add_depth_row(depth_row(depth_event_name(event), reading, detail));
}

std::optional<std::int64_t> RecordingWorkflow::video_ms_now() const {
  if (!recording_) return std::nullopt;
  std::optional<std::int64_t> origin = origin_ms_;
  if (!origin && link_.state().entry_number != -1) origin = link_.state().time_origin_ms;
  if (!origin) return std::nullopt;
  const auto now = static_cast<std::int64_t>(std::floor(clock_.elapsed_ms()));
  return std::max<std::int64_t>(now - *origin, 0);
}

void RecordingWorkflow::hash_video(const std::string& video) {
  std::error_code ec;
  if (!video.empty() && fs::is_regular_file(fs::symlink_status(video, ec))) hasher_.queue(video);
}

void RecordingWorkflow::note_event(const std::string& event, const std::string& detail) {
  if (std::optional<DepthRow> row = event_row_now(event)) {
    row->detail = detail;
    add_event_row(std::move(*row));
  }
}

std::optional<DepthRow> RecordingWorkflow::event_row_now(const std::string& event) {
  refine_origin();
  const std::optional<std::int64_t> at = video_ms_now();
  if (!at || !depth_recording_) return std::nullopt;
  return depth_row_now(event, *at);
}

void RecordingWorkflow::add_event_row(DepthRow row) {
  if (!depth_recording_) return;
  // The journal takes it as it comes; the whole record written at the stop has it at its time.
  depth_journal_.row(row);
  const auto at = std::upper_bound(depth_rows_.begin(), depth_rows_.end(), row.video_ms,
                                   [](std::int64_t ms, const DepthRow& r) { return ms < r.video_ms; });
  depth_rows_.insert(at, std::move(row));
}

void RecordingWorkflow::add_observation(const std::string& code, const std::string& note) {
  refine_origin();
  const std::optional<std::int64_t> at = video_ms_now();
  if (!at) return;
  add_observation_at(*at, link_.state().depth_m, code, note);
}

void RecordingWorkflow::add_observation_at(std::int64_t video_ms, double depth_m, const std::string& code,
                                           const std::string& note) {
  if (!recording_) return;
  observations_.add(video_ms, code, note, depth_m);
}

void RecordingWorkflow::refine_origin() {
  if (options_.timing != TrackTiming::FirstFrame || origin_from_frame_ || !recording_ || !origin_ms_) return;
  const std::int64_t ns = engine_.FirstFrameTimeNs();
  if (ns <= 0) return;
  const std::int64_t ms = ns / 1000000;
  // A first frame from well before this start belongs to an earlier recording.
  if (ms < *origin_ms_ - 1000) return;
  origin_ms_ = ms;
  origin_from_frame_ = true;
  link_.set_track_origin(origin_ms_);
}

void RecordingWorkflow::capCaptureProgress() {
  refine_origin();
  const std::uint32_t t = engine_.CaptureTime();
  if (last_capture_time_ > 0) {
    const std::string text = elapsed_text(t);
    if (text != host_.status_text()) host_.set_status_text(text);
  }
  last_capture_time_ = t;
  if (recording_) watch_recording();
}

void RecordingWorkflow::watch_recording() {
  if (journal_.failed() && !journal_warned_) {
    journal_warned_ = true;
    host_.show_warning(kJournalWriteWarning);
  }
  // Told once, as the subtitles: the whole record is written from memory at the stop.
  if (depth_journal_.failed() && !depth_warned_) {
    depth_warned_ = true;
    host_.show_warning(kDepthJournalWarning);
  }
  const std::uint32_t t = engine_.CaptureTime();
  if (space_warned_ || bytes_per_second_ == 0 || (space_checked_at_ != 0 && t < space_checked_at_ + kSpaceCheckMs))
    return;
  space_checked_at_ = std::max<std::uint32_t>(t, 1);
  const std::optional<std::uint64_t> free = free_bytes(folder_);
  if (!free) return;
  const std::uint64_t seconds = *free / bytes_per_second_;
  if (seconds < kWarnSeconds) {
    space_warned_ = true;
    host_.show_warning(low_space_warning(seconds / 60));
  }
}

std::vector<std::string> RecordingWorkflow::track_lines() const {
  const auto& t = link_.track();
  return {t.begin(), t.end()};
}

void RecordingWorkflow::save_subtitles(const std::string& utf8_path) {
  if (!write_text_lines(utf8_path, track_lines())) throw FileError(cannot_create_file_text(utf8_to_cp1252(utf8_path)));
}

std::vector<std::string> RecordingWorkflow::closing_lines(const std::string& end_code, const std::string& next_code) {
  const DepthState& s = link_.state();
  std::vector<std::string> lines =
      SrtEntry{link_.next_entry_number(), s.previous_time_code, end_code, {link_.depth_line_now()}}.lines();
  const std::vector<std::string> last =
      SrtEntry{link_.next_entry_number(), end_code, next_code, {s.previous_time_code + " ... " + end_code}}.lines();
  lines.insert(lines.end(), last.begin(), last.end());
  return lines;
}

void RecordingWorkflow::drop_failed_closing() {
  // The closing entries of a stop that could not save are replaced, not repeated: two sets would
  // overlap in time.
  if (closing_.empty()) return;
  std::vector<std::string> lines = track_lines();
  const bool intact =
      lines.size() == closing_at_ + closing_.size() &&
      std::equal(closing_.begin(), closing_.end(), lines.begin() + static_cast<std::ptrdiff_t>(closing_at_));
  if (intact) {
    lines.resize(closing_at_);
    link_.set_track_lines(lines);
    link_.restart_entry_numbering(entry_before_closing_);
  }
  closing_.clear();
}

void RecordingWorkflow::replace_closing(std::uint64_t end_ms) {
  std::vector<std::string> lines = track_lines();
  if (lines.size() != closing_at_ + 8) return;
  lines.resize(closing_at_);
  link_.restart_entry_numbering(entry_before_closing_);
  const auto closing = closing_lines(stop_time_code(end_ms), stop_time_code(end_ms + 1000));
  lines.insert(lines.end(), closing.begin(), closing.end());
  link_.set_track_lines(lines);
}

void RecordingWorkflow::end_acquisition() {
  host_.show_acquisition(1);
  link_.RadioGroup1Click(1);
  refine_origin();
  drop_failed_closing();
}

void RecordingWorkflow::append_closing(std::uint64_t end_ms) {
  closing_at_ = link_.track().size();
  entry_before_closing_ = link_.state().entry_number;
  closing_ = closing_lines(stop_time_code(end_ms), stop_time_code(end_ms + 1000));
  link_.append_track_lines(closing_);
}

bool RecordingWorkflow::finish_files(std::int64_t end_ms, const std::string& video, const std::string& kept_file) {
  // The subtitles go beside the video where it stayed, so a player finds them.
  const bool beside_saved =
      kept_file.empty() || write_text_lines(name_without_extension(kept_file) + ".srt", track_lines());
  finish_depth_record(end_ms, video, kept_file);
  remove_recording_note(recording_file_);
  return beside_saved;
}

void RecordingWorkflow::stop(bool closing_message) {
  if (!recording_) return;
  if (!engine_.Capturing()) {
    // Ended by the engine before this stop could: the video is already where it stays.
    finish_after_abort();
    return;
  }
  end_acquisition();
  const std::int64_t last_entry_ms = time_code_ms(link_.closing_start_code());
  const bool aligned = options_.timing == TrackTiming::FirstFrame && origin_ms_.has_value();
  std::uint64_t t = engine_.CaptureTime();
  if (aligned) {
    const auto now = static_cast<std::int64_t>(std::floor(clock_.elapsed_ms()));
    t = static_cast<std::uint64_t>(std::max<std::int64_t>(std::max<std::int64_t>(now - *origin_ms_, last_entry_ms), 0));
  }
  append_closing(t);

  journal_.close();
  reserve_.release();
  const std::string srt = cp1252_to_utf8(srt_name_);
  try {
    save_subtitles(srt);  // a failure ends the stop here; the recording goes on
  } catch (const ConversionError&) {
    reserve_.create(folder_);
    throw;
  }
  closing_.clear();
  auto end_ms = static_cast<std::int64_t>(t);

  const bool saved = engine_.StopCapture();
  recording_ = false;
  link_.set_track_origin(std::nullopt);
  const CaptureStats& stats = engine_.LastCaptureStats();
  if (aligned && stats.known && stats.frames_written > 0 && stats.file_duration_s > 0) {
    // The video's own length is the end: the closing entries follow it to the millisecond.
    const auto exact = static_cast<std::int64_t>(std::llround(stats.file_duration_s * 1000.0));
    if (exact != end_ms && exact >= last_entry_ms) {
      replace_closing(static_cast<std::uint64_t>(exact));
      end_ms = exact;
      try {
        save_subtitles(srt);
      } catch (const ConversionError& e) {
        prompter_.inform(e.what());
      }
    }
  }
  const std::string file = engine_.RecordingFile();
  const bool kept = !saved && engine_.KeptRecordings().count(file) > 0;
  const std::string video = kept ? file : cp1252_to_utf8(avi_name_);
  if (!finish_files(end_ms, video, kept ? file : std::string()))
    prompter_.inform(cannot_create_file_text(utf8_to_cp1252(name_without_extension(file) + ".srt")));

  // The engine leaves no file behind a recording that received no picture: never call that a success.
  const bool no_video = !kept && stats.known && stats.frames_written == 0;
  if (!no_video) hash_video(video);

  capCaptureProgress();
  if (closing_message) {
    const std::string elapsed = host_.status_text();
    if (no_video) {
      prompter_.inform(no_video_message(avi_name_, srt_name_));
    } else {
      prompter_.inform(kept ? kept_message(utf8_to_cp1252(file), avi_name_, elapsed)
                            : recorded_message(avi_name_, elapsed));
    }
  }
  host_.set_status_text(kStoppedText);
}

void RecordingWorkflow::btStopClick() { stop(true); }

void RecordingWorkflow::finish_before_exit() {
  if (!recording_) return;
  try {
    stop(false);
  } catch (const ConversionError& e) {
    // The subtitles stay as journaled; the video is finalised all the same.
    prompter_.inform(e.what());
    engine_.StopCapture();
    recording_ = false;
    depth_recording_ = false;
    depth_journal_.close();
    observations_.close();
    reserve_.release();
    link_.set_track_origin(std::nullopt);
    remove_recording_note(recording_file_);
  }
}

void RecordingWorkflow::engine_aborted() {
  if (!recording_ || engine_.Capturing()) return;
  finish_after_abort();
}

void RecordingWorkflow::finish_after_abort() {
  end_acquisition();
  recording_ = false;
  link_.set_track_origin(std::nullopt);
  journal_.close();
  // The room kept for this moment: the subtitles are written next.
  reserve_.release();

  const std::string file = engine_.RecordingFile();
  const CaptureStats& stats = engine_.LastCaptureStats();
  bool finalised = false;
  std::optional<double> seconds;
  if (!file.empty() && file_exists(file)) seconds = recorded_seconds(file, finalised);
  if (!seconds && stats.known && stats.frames_written > 0 && file_exists(file)) seconds = stats.file_duration_s;
  const bool have_video = seconds.has_value();

  std::int64_t end = have_video ? std::llround(*seconds * 1000.0) : static_cast<std::int64_t>(engine_.CaptureTime());
  // An entry begun after the last frame still closes after it began.
  end = std::max<std::int64_t>(end, std::max<std::int64_t>(time_code_ms(link_.closing_start_code()), 0));
  append_closing(static_cast<std::uint64_t>(end));
  closing_.clear();

  const bool kept = engine_.KeptRecordings().count(file) > 0;
  const std::string srt = kept ? name_without_extension(file) + ".srt" : cp1252_to_utf8(srt_name_);
  const bool named_saved = write_text_lines(cp1252_to_utf8(srt_name_), track_lines());
  const bool beside_saved = finish_files(end, have_video ? file : std::string(), kept ? file : std::string());
  const bool srt_saved = kept ? beside_saved : named_saved;

  // The note follows the video where it is: a file the engine could not close cleanly is repaired
  // in place at the next start-up.
  if (have_video && !finalised) write_recording_note({file, file, srt});
  // A video still to be repaired changes then: its hash waits for a whole file.
  if (have_video && finalised) hash_video(file);

  host_.set_status_text(kStoppedText);
  host_.show_idle();
  prompter_.inform(aborted_message(engine_.LastAbortReason(), have_video ? utf8_to_cp1252(file) : std::string(),
                                   have_video ? *seconds : 0.0, utf8_to_cp1252(srt), srt_saved));
}

}  // namespace wellvue
