#include "app/recording/station_recording.h"

#include "app/recording/unfinished_recordings.h"
#include "util/cp1252.h"

namespace wellvue {

StationRecording::StationRecording(TFormMain& main, TForm1& link_window, Prompter& prompter, Clock* clock,
                                   RecordingOptions options)
    : main_(main), prompter_(prompter), host_(main, link_window) {
  workflow_ = std::make_unique<RecordingWorkflow>(main.engine(), main.config(), link_window.link(), prompter,
                                                  clock ? *clock : own_clock_, host_, options);
}

void StationRecording::recover_unfinished() {
  const std::string folder = cp1252_to_utf8(main_.video_folder());
  if (folder.empty()) return;
  const std::string message = recovery_message(recover_unfinished_recordings(folder));
  if (!message.empty()) prompter_.inform(message);
}

}  // namespace wellvue
