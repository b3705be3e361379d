// The station model's recording workflow bound to the two windows: the host that shows it, the
// main window's engine; the main window's start, stop, progress and closing forward here, and
// start-up hands over the unfinished recordings to recover.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "app/recording/photo_writer.h"
#include "app/recording/qt_recording_host.h"
#include "encoder/clock.h"
#include "recording/depth_notes.h"
#include "recording/recording_workflow.h"
#include "station/station_model.h"

namespace wellvue {

class StationRecording {
 public:
  // `clock` must be the link's clock; null: the clock of the link window's model.
  StationRecording(TFormMain& main, TForm1& link_window, Prompter& prompter, Clock* clock = nullptr,
                   RecordingOptions options = {});
  ~StationRecording();
  StationRecording(const StationRecording&) = delete;
  StationRecording& operator=(const StationRecording&) = delete;

  bool btStartClick() { return model_.start_recording(); }
  // The photos under way are written first: their rows belong to the recording that stops.
  void btStopClick();
  void capCaptureProgress() { workflow_->capCaptureProgress(); }
  // Before the main window's closing steps: the photos under way are written, a recording under
  // way is finished.
  void FormClose();
  // "Photo" and "Observation" (code and note UTF-8), during a recording and outside one: the
  // picture, its texts, the time and the depth of the press are taken at once, the file is written
  // off the GUI thread and "Photo enregistrée" (or the failure) is shown once it is done.
  void take_photo();
  // "Observation" pressed: the depth, the time and the picture of the press are kept until the
  // dialog ends; the heading it shows (UTF-8). observe() then saves the observation at the press
  // (a press of now when none is kept); cancel_observation() drops it.
  std::string begin_observation();
  void observe(const std::string& code, const std::string& note);
  void cancel_observation() { pending_observation_.reset(); }
  // Photos pressed whose write has not ended yet.
  int photos_under_way() const { return photos_.pending(); }
  // Waits until the photos pressed are written and told.
  void wait_for_photos() { photos_.wait(); }
  // Once the settings are read: recordings left unfinished by a crash, in the video folder or in a
  // folder the station recorded to before, are repaired, moved to their names, and the operator is
  // told which.
  void recover_unfinished();

  RecordingWorkflow& workflow() { return *workflow_; }

 private:
  TFormMain& main_;
  Prompter& prompter_;
  StationModel& model_;
  QtRecordingHost host_;
  RecordingWorkflow* workflow_ = nullptr;  // the model's
  DepthNotes* notes_ = nullptr;  // the model's
  std::optional<ObservationPress> pending_observation_;
  void write_in_background(std::optional<PhotoPress> press);
  PhotoWriter photos_;  // last: its writes end before the rest goes
};

}  // namespace wellvue
