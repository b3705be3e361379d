#include "app/recording/station_recording.h"

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
  notes_.reset();
  model_.detach_recording();
}

void StationRecording::recover_unfinished() {
  const std::string message = model_.recover_unfinished(cp1252_to_utf8(main_.video_folder()));
  if (!message.empty()) prompter_.inform(message);
}

}  // namespace wellvue
