#include "app/recording/station_recording.h"

#include <memory>
#include <utility>

#include "app/link_window/tform1.h"
#include "util/cp1252.h"

namespace wellvue {

StationRecording::StationRecording(TFormMain& main, TForm1& link_window, Prompter& prompter, Clock* clock,
                                   RecordingOptions options)
    : main_(main), prompter_(prompter), model_(link_window.model()), host_(main, link_window) {
  // The remembered recording folders sit beside the settings file: locate it first.
  link_window.settings_location();
  workflow_ = &model_.attach_recording(main.engine(), main.config(), host_, std::move(options), clock);
  notes_ = &model_.notes();
}

StationRecording::~StationRecording() {
  photos_.wait();
  model_.detach_recording();
}

void StationRecording::btStopClick() {
  photos_.wait();
  model_.stop_recording();
}

void StationRecording::FormClose() {
  photos_.wait();
  model_.finish_recording_before_exit();
  // The station is going: the video leaves with its checksum, as after a stop.
  if (RecordingWorkflow* w = model_.recording()) w->wait_for_video_hashes();
}

void StationRecording::take_photo() { write_in_background(notes_->press_photo()); }

std::string StationRecording::begin_observation() {
  pending_observation_ = notes_->press_observation();
  return pending_observation_->heading;
}

void StationRecording::observe(const std::string& code, const std::string& note) {
  ObservationPress press = pending_observation_ ? std::move(*pending_observation_) : notes_->press_observation();
  pending_observation_.reset();
  write_in_background(notes_->save_observation(std::move(press), code, note));
}

void StationRecording::write_in_background(std::optional<PhotoPress> press) {
  if (!press) return;
  auto shared = std::make_shared<PhotoPress>(std::move(*press));
  auto written = std::make_shared<PhotoWritten>();
  photos_.add([shared, written] { *written = write_photo(*shared); },
              [this, shared, written] { notes_->photo_written(*shared, *written); });
}

void StationRecording::recover_unfinished() {
  const std::string message = model_.recover_unfinished(cp1252_to_utf8(main_.video_folder()));
  if (!message.empty()) prompter_.inform(message);
}

}  // namespace wellvue
