#include "station/station_model.h"

#include "encoder/posix_serial_port.h"
#include "recording/unfinished_recordings.h"

namespace wellvue {

StationModel::StationModel(Prompter& prompter, StationModelOptions options)
    : prompter_(prompter), port_(options.port), clock_(options.clock), tool_(prompter) {
  if (!port_) {
    own_port_ = std::make_unique<PosixSerialPort>();
    port_ = own_port_.get();
  }
  if (!clock_) {
    own_clock_ = std::make_unique<SystemClock>();
    clock_ = own_clock_.get();
  }
  link_ = std::make_unique<EncoderLink>(*port_, *clock_, prompter_, relay_,
                                        [this](std::function<void()> fn) { post(std::move(fn)); });
}

StationModel::~StationModel() {
  detach_recording();
  abandon_open();
  // The reader thread stops with the port; nothing it posts may outlive the model.
  link_->close_without_pause();
  link_.reset();
}

void StationModel::set_post(Post post) {
  const std::lock_guard<std::mutex> lock(post_mutex_);
  post_ = std::move(post);
}

void StationModel::post(std::function<void()> fn) {
  Post target;
  {
    const std::lock_guard<std::mutex> lock(post_mutex_);
    target = post_;
  }
  if (target) target(std::move(fn));
}

bool StationModel::guarded(const std::function<void()>& handler) {
  if (guard_) return guard_(handler);
  handler();
  return true;
}

// ---- "OpenCom" and "CloseCom" ---------------------------------------------------------------

struct StationModel::OpenRun {
  OpenJob job;
  std::function<void(bool)> done;
};

void StationModel::open_port(std::function<void(bool)> done) {
  if (opening_) {
    after_open_.push_back([this, done = std::move(done)]() mutable { open_port(std::move(done)); });
    return;
  }
  auto run = std::make_shared<OpenRun>();
  run->done = std::move(done);
  if (!guarded([&] { run->job = link_->open_begin(); })) {
    if (run->done) run->done(false);
    return;
  }
  opening_ = true;
  if (opening_shown_) opening_shown_(true);
  // The open and its 1.5 s of pauses wait here, off the owner thread, which gets the result
  // through the post and finishes the open.
  open_worker_ = std::thread([this, run] {
    link_->open_work(run->job);
    post([this, run] { finish_open(run); });
  });
}

void StationModel::finish_open(const std::shared_ptr<OpenRun>& run) {
  if (open_worker_.joinable()) open_worker_.join();
  opening_ = false;
  if (opening_shown_) opening_shown_(false);
  const bool completed = guarded([&] { link_->open_finish(run->job); });
  if (run->done) run->done(completed);
  // Presses that came during the open, in their order.
  std::vector<std::function<void()>> pending;
  pending.swap(after_open_);
  for (auto& fn : pending) fn();
}

void StationModel::close_port() {
  if (opening_) {
    after_open_.push_back([this] { guarded([this] { close_port(); }); });
    return;
  }
  // The 200 ms pause after the close only froze the window; the next open waits for the board
  // anyway.
  link_->close_without_pause();
}

void StationModel::once_opened(std::function<void()> fn) {
  if (opening_) {
    after_open_.push_back(std::move(fn));
    return;
  }
  fn();
}

void StationModel::abandon_open() {
  if (open_worker_.joinable()) open_worker_.join();
  opening_ = false;
  after_open_.clear();
}

// ---- Settings file --------------------------------------------------------------------------

void StationModel::read_settings(const SettingsLines& lines, SettingsValues& values) {
  try {
    read_settings_into(lines, path_text(location_->default_video_folder), values);
  } catch (...) {
    apply_link_settings(values);
    settings_ = values;
    throw;
  }
  apply_link_settings(values);
  settings_ = values;
}

void StationModel::link_settings_into(SettingsValues& values) const {
  const LinkFields& f = link_->fields();
  const DepthState& s = link_->state();
  values.start_depth_cm = s.start_depth_cm;
  values.positive_count = f.CheckBox3;
  values.text_start_code = f.Edit13;
  values.padding_blanks = f.Edit14;
  values.port_index = s.port_index;
  values.baud_index = s.baud_index;
}

void StationModel::apply_link_settings(const SettingsValues& values) {
  MainFields& m = link_->main_fields();
  m.Edit_longueur = values.calibration_length;
  m.Edit_circ = values.circumference;
  // The depth reads the link window's own circumference: it must be the one kept in the file,
  // or yesterday's calibration would be ignored after a restart.
  LinkFields& f = link_->fields();
  f.Edit_circ = values.circumference;
  f.CheckBox3 = values.positive_count;
  f.Edit13 = values.text_start_code;
  f.Edit14 = values.padding_blanks;
  DepthState& s = link_->state();
  s.port_index = values.port_index;
  s.baud_index = values.baud_index;
}

SettingsWriteResult StationModel::save_settings(const SettingsValues& values, SettingsLines& lines) {
  lines = settings_lines(values);
  settings_ = values;
  return write_settings_file(location_->settings_file, lines);
}

// ---- Recording ------------------------------------------------------------------------------

RecordingWorkflow& StationModel::attach_recording(TVideoCapture& engine, TGraphConfig* config, RecordingHost& host,
                                                  RecordingOptions options, Clock* clock) {
  if (options.recording_folders_file.empty() && location_) {
    options.recording_folders_file = recording_folders_file(location_->settings_file.string());
  }
  folders_file_ = options.recording_folders_file;
  detach_recording();
  Clock& used = clock ? *clock : *clock_;
  recording_ = std::make_unique<RecordingWorkflow>(engine, config, *link_, prompter_, used, host, std::move(options));
  notes_ = std::make_unique<DepthNotes>(engine, *link_, host, recording_.get(), prompter_, used);
  return *recording_;
}

std::string StationModel::recover_unfinished(const std::string& video_folder) {
  std::vector<std::string> folders;
  if (!video_folder.empty()) folders.push_back(video_folder);
  for (std::string& f : remembered_recording_folders(folders_file_)) folders.push_back(std::move(f));
  const std::vector<RecoveredRecording> recovered = recover_unfinished_recordings(folders);
  // Under its name and whole or as whole as it gets: hashed as a stopped recording is.
  for (const RecoveredRecording& r : recovered) {
    const bool under_its_name =
        r.outcome == RecoveredRecording::Outcome::Recovered || r.outcome == RecoveredRecording::Outcome::KeptUnrepaired;
    if (recording_ && under_its_name) recording_->hash_video(r.path);
  }
  return recovery_message(recovered);
}

}  // namespace wellvue
