// The image buttons' press, release and dispatch, and the actions the dispatch starts.
#include <QCoreApplication>
#include <vector>

#include "app/graph_config/edit_graph_config.h"
#include "app/main_window/main_form.h"
#include "app/main_window/observation_dialog.h"
#include "app/services/text_bridge.h"
#include "util/numbers.h"

namespace wellvue {

namespace {

// Releases a pressed button when the row's work is over, also when that work failed.
class ReleaseAtEnd {
 public:
  explicit ReleaseAtEnd(ImageButton* b) : b_(b) {}
  ~ReleaseAtEnd() {
    if (b_) b_->release();
  }
  void cancel() { b_ = nullptr; }
  ReleaseAtEnd(const ReleaseAtEnd&) = delete;
  ReleaseAtEnd& operator=(const ReleaseAtEnd&) = delete;

 private:
  ImageButton* b_;
};

}  // namespace

void TFormMain::Panel_BT_MMouseDown(ImageButton* panel) {
  run_handler([this, panel] { traite_down(panel); });
}

void TFormMain::Panel_BT_MMouseUp(ImageButton* panel) { panel->release(); }

void TFormMain::Image_MouseDown(ButtonIcon* icon) { Panel_BT_MMouseDown(icon->button()); }

void TFormMain::Image_MouseUp(ButtonIcon* icon) { Panel_BT_MMouseUp(icon->button()); }

void TFormMain::enable_button(ImageButton* panel) { panel->set_font_colour(Panel_choix_cam->font_colour()); }

void TFormMain::disable_button(ImageButton* panel) { panel->set_font_colour(ImageButton::disabled_colour()); }

void TFormMain::set_button_states(ButtonStates state) {
  struct Change {
    ImageButton* button;
    bool enabled;
  };
  std::vector<Change> changes;
  ImageButton* focus = nullptr;
  switch (state) {
    case ButtonStates::Recording:
      // The zeros stay usable for the whole recording; calibrating would change the depth scale
      // under it.
      changes = {{Panel_start_capture, false},
                 {Panel_stop_capture, true},
                 {Panel_zero_margelle, true},
                 {Panel_zero_eau, true},
                 {Panel_BT_calibration_M, false}};
      focus = Panel_stop_capture;
      break;
    case ButtonStates::Stopped:
      // A recording to look at again.
      changes = {{Panel_stop_capture, false},
                 {Panel_start_capture, true},
                 {Panel_BT_calibration_M, true},
                 {Panel_revoir, true}};
      break;
    case ButtonStates::Ready:
      changes = {{Panel_start_capture, true}, {Panel_photo, true}, {Panel_observation, true}};
      focus = Panel_start_capture;
      break;
  }
  for (const Change& c : changes) c.enabled ? enable_button(c.button) : disable_button(c.button);
  if (focus) focus->setFocus();
}

void TFormMain::traite_down(ImageButton* panel) {
  panel->press();
  if (!panel->is_enabled_button()) return;

  // Each button's row: whether it does anything without a capture wanted, whether it is released
  // once its work is over (also when that work failed), and its work.
  struct Row {
    ImageButton* panel;
    bool needs_capture;
    bool release_at_end;
    void (*action)(TFormMain& f, ImageButton* panel);
  };
  const Row rows[] = {
      {Panel_BT_calibration_M, false, false,
       [](TFormMain& f, ImageButton*) { f.Panel_calibration->setVisible(!f.Panel_calibration->isVisible()); }},
      {Panel_zero_margelle, true, false,
       [](TFormMain& f, ImageButton*) {
         f.Panel_margelle->setVisible(!f.Panel_margelle->isVisible());
         if (f.Panel_margelle->isVisible()) f.Panel_margelle->raise();
       }},
      {Panel_zero_eau, true, true,
       [](TFormMain& f, ImageButton*) {
         if (f.links_.water_zero) f.links_.water_zero();
       }},
      {Panel_open_com, false, false,
       [](TFormMain& f, ImageButton*) {
         if (f.links_.show_link_window) f.links_.show_link_window();
       }},
      {Panel_start_capture, true, true,
       [](TFormMain& f, ImageButton*) {
         // A second press during a recording starts nothing.
         if (f.cap->engine().Capturing()) return;
         if (f.btStartClick()) {
           f.set_button_states(ButtonStates::Recording);
           f.show_recording_started();
         }
       }},
      {Panel_stop_capture, true, true,
       [](TFormMain& f, ImageButton*) {
         f.btStopClick();
         f.show_recording_stopped();
       }},
      {Panel_photo, true, true, [](TFormMain& f, ImageButton*) { f.Panel_photoClick(); }},
      {Panel_observation, true, true, [](TFormMain& f, ImageButton*) { f.Panel_observationClick(); }},
      {Panel_revoir, true, true, [](TFormMain& f, ImageButton*) { f.Panel_revoirClick(); }},
      {Panel_choix_cam, false, true,
       [](TFormMain& f, ImageButton*) {
         // The start button comes alive whatever the dialog's outcome, also when it failed.
         struct ReadyAtEnd {
           TFormMain& f;
           ~ReadyAtEnd() { f.set_button_states(ButtonStates::Ready); }
         } ready{f};
         f.choix_cam_Button2Click();
       }},
      {Panel_exit, false, false,
       [](TFormMain& f, ImageButton* p) {
         // During a recording the one question says what quitting does to it.
         const bool recording = f.cap->engine().Capturing();
         if (recording ? f.may_close() : f.prompter_.ask_yes_no(" Quitter ? ")) {
           f.quit_without_question(0);
           return;
         }
         p->release();
         // A recording under way keeps its start button disabled.
         if (!f.cap->engine().Capturing()) f.set_button_states(ButtonStates::Ready);
       }},
  };

  const bool want_capture = config_ && config_->WantCapture;
  for (const Row& row : rows) {
    if (row.panel != panel) continue;
    if (row.needs_capture && !want_capture) return;
    ReleaseAtEnd release(row.release_at_end ? panel : nullptr);
    row.action(*this, panel);
    return;
  }
}

// --- Actions ---------------------------------------------------------------------------------

void TFormMain::choix_cam_Button2Click() {
  TVideoCapture& e = cap->engine();
  e.FillConfig(config_);
  const std::string prefix = from_qt(Edit_nom_prefixe->text());
  if (edit_graph_config(*config_, cap->backend(), graph_memory_, prefix, this)) e.ApplyConfig(config_);
}

void TFormMain::Panel_photoClick() {
  if (links_.take_photo) links_.take_photo();
}

void TFormMain::Panel_observationClick() {
  // The depth and time of the press, not of the moment the operator is done typing.
  const std::string heading = links_.begin_observation ? links_.begin_observation() : std::string();
  const std::optional<ObservationChoice> c =
      ask_observation(links_.observation_codes, links_.save_observation_codes, this, heading);
  if (c && links_.observe) links_.observe(c->code, c->note);
  else if (!c && links_.cancel_observation) links_.cancel_observation();
}

void TFormMain::Panel_revoirClick() {
  if (links_.review_last) links_.review_last();
}

bool TFormMain::btStartClick() { return links_.start_recording ? links_.start_recording() : false; }

void TFormMain::btStopClick() {
  if (links_.stop_recording) links_.stop_recording();
}

void TFormMain::capCaptureProgress() {
  if (links_.recording_progress) links_.recording_progress();
}

void TFormMain::show_recording_started() {
  recording_file_ = QString::fromStdString(cap->engine().CaptureFileName());
  StatusBar_file->setToolTip(recording_file_);
  StatusBar_file->show();
  RecordingMark_rec->show();
  RecordingMark_rec->raise();
  place_status_bar();
}

void TFormMain::show_recording_stopped() {
  set_button_states(ButtonStates::Stopped);
  RecordingMark_rec->hide();
  StatusBar_file->hide();
  StatusBar_file->clear();
  recording_file_.clear();
  place_status_bar();
}

void TFormMain::show_status_notice(const std::string& text) { StatusBar_text->setText(to_qt(text)); }

void TFormMain::BitBtn2Click() { Panel_margelle->hide(); }

void TFormMain::BitBtn_escClick() { Panel_calibration->hide(); }

}  // namespace wellvue
