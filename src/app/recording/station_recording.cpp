#include "app/recording/station_recording.h"

#include <memory>

#include "app/link_window/tform1.h"
#include "util/cp1252.h"

namespace wellvue {

StationRecording::StationRecording(TFormMain& main, TForm1& link_window, Prompter& prompter, Clock* clock,
                                   RecordingOptions options)
    : main_(main), prompter_(prompter), model_(link_window.model()), host_(main, link_window) {
  // The remembered recording folders sit beside the settings file: locate it first.
  link_window.settings_location();
  workflow_ = &model_.attach_recording(main.engine(), main.config(), host_, std::move(options), clock);
  notes_ = std::make_unique<DepthNotes>(main.engine(), model_.link(), host_, workflow_, prompter,
                                        clock ? *clock : model_.clock());
}

StationRecording::~StationRecording() {
  photos_.wait();
  notes_.reset();
  model_.detach_recording();
}

void StationRecording::btStopClick() {
  photos_.wait();
  workflow_->btStopClick();
}

void StationRecording::FormClose() {
  photos_.wait();
  workflow_->finish_before_exit();
}

void StationRecording::take_photo() { write_in_background(notes_->press_photo()); }

void StationRecording::observe(const std::string& code, const std::string& note) {
  write_in_background(notes_->press_observation(code, note));
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
