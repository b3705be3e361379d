// What the main window asks of the rest of the station (the link window, the settings, the
// process). The program fills these once the link window exists; an empty one does nothing.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "encoder/link_fields.h"

namespace wellvue {

struct StationLinks {
  // "Port COM RS232": show the link window and give it the focus.
  std::function<void()> show_link_window;
  // "ZERO eau": the link window's water zero, with its own question.
  std::function<void()> water_zero;
  // Writes the settings file (closing the window).
  std::function<void()> save_settings;

  // The curb panel: the start depth in centimetres written to the link's depth state; the start
  // depth text shown in the link window's label and start-depth field; the curb zero without a
  // question (zero := present count, one track entry, depth text shown).
  std::function<void(int)> set_start_depth_cm;
  std::function<void(const std::string&)> show_start_depth_in_link;
  std::function<void()> curb_zero_now;
  // The depth corrected at a known mark: the true depth there, in metres.
  std::function<void(double)> correct_depth;
  // The calibration panel's buttons: the link's calibration start, stop and manual validation,
  // told which window's button was pressed.
  std::function<void(Sender)> calibration_start;
  std::function<void(Sender)> calibration_stop;
  std::function<void(Sender)> calibration_manual;

  // The recording: start (true when the engine records), stop, the progress display, and a
  // recording under way finished before the program ends.
  std::function<bool()> start_recording;
  std::function<void()> stop_recording;
  std::function<void()> recording_progress;
  std::function<void()> finish_recording;

  // "Photo" (F5): a snapshot of the live picture. "Observation" (F6): the code picked and the
  // note typed (UTF-8), logged at the present depth with a snapshot.
  std::function<void()> take_photo;
  // "Revoir": the last recording in the review window.
  std::function<void()> review_last;
  // "Observation" pressed: the press's depth and time are taken now; the dialog's heading (UTF-8).
  // Then the code and note picked are saved at that press, or the press is dropped.
  std::function<std::string()> begin_observation;
  std::function<void(const std::string& code, const std::string& note)> observe;
  std::function<void()> cancel_observation;
  // The observation codes offered (UTF-8), and the list edited by the operator written back.
  std::function<std::vector<std::string>()> observation_codes;
  std::function<void(const std::vector<std::string>&)> save_observation_codes;
};

}  // namespace wellvue
