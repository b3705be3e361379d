#include "app/recording/station_recording.h"

#include "app/link_window/tform1.h"
#include "recording/unfinished_recordings.h"
#include "util/cp1252.h"

namespace wellvue {

StationRecording::StationRecording(TFormMain& main, TForm1& link_window, Prompter& prompter, Clock* clock,
                                   RecordingOptions options)
    : main_(main), prompter_(prompter), host_(main, link_window) {
  if (options.recording_folders_file.empty()) {
    options.recording_folders_file = recording_folders_file(link_window.settings_location().settings_file.string());
  }
  folders_file_ = options.recording_folders_file;
  workflow_ = std::make_unique<RecordingWorkflow>(main.engine(), main.config(), link_window.link(), prompter,
                                                  clock ? *clock : link_window.model().clock(), host_, options);
}

void StationRecording::recover_unfinished() {
  std::vector<std::string> folders;
  const std::string folder = cp1252_to_utf8(main_.video_folder());
  if (!folder.empty()) folders.push_back(folder);
  for (std::string& f : remembered_recording_folders(folders_file_)) folders.push_back(std::move(f));
  const std::string message = recovery_message(recover_unfinished_recordings(folders));
  if (!message.empty()) prompter_.inform(message);
}

}  // namespace wellvue
