// The image buttons' press, release and dispatch, and the actions the dispatch starts.
#include <QCoreApplication>

#include "app/graph_config/edit_graph_config.h"
#include "app/main_window/main_form.h"
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

void TFormMain::traite_down(ImageButton* panel) {
  panel->press();
  if (!panel->is_enabled_button()) return;
  const bool want_capture = config_ && config_->WantCapture;

  if (panel == Panel_BT_calibration_M) {
    Panel_calibration->setVisible(!Panel_calibration->isVisible());
  } else if (panel == Panel_zero_margelle) {
    if (!want_capture) return;
    Panel_margelle->setVisible(!Panel_margelle->isVisible());
    if (Panel_margelle->isVisible()) Panel_margelle->raise();
  } else if (panel == Panel_zero_eau) {
    if (!want_capture) return;
    ReleaseAtEnd release(panel);
    if (links_.water_zero) links_.water_zero();
  } else if (panel == Panel_open_com) {
    if (links_.show_link_window) links_.show_link_window();
  } else if (panel == Panel_start_capture) {
    if (!want_capture) return;
    ReleaseAtEnd release(panel);
    // During a recording the curb zero stays: moving it would shift the depth of every entry
    // to come with nothing in the subtitles to say why.
    if (cap->engine().Capturing()) return;
    if (links_.curb_zero_at_tics) links_.curb_zero_at_tics();
    if (btStartClick()) {
      disable_button(Panel_start_capture);
      enable_button(Panel_stop_capture);
      Panel_stop_capture->setFocus();
      enable_button(Panel_zero_margelle);
      enable_button(Panel_zero_eau);
      disable_button(Panel_BT_calibration_M);
      show_recording_started();
    }
  } else if (panel == Panel_stop_capture) {
    if (!want_capture) return;
    ReleaseAtEnd release(panel);
    btStopClick();
    show_recording_stopped();
  } else if (panel == Panel_choix_cam) {
    ReleaseAtEnd release(panel);
    // The start button comes alive whatever the dialog's outcome, also when it failed.
    struct EnableStart {
      TFormMain* f;
      ~EnableStart() {
        f->enable_button(f->Panel_start_capture);
        f->Panel_start_capture->setFocus();
      }
    } enable_start{this};
    choix_cam_Button2Click();
  } else if (panel == Panel_exit) {
    if (prompter_.ask_yes_no(" Quitter ? ")) {
      close();
      if (options_.end_process) {
        options_.end_process(0);
      } else {
        QCoreApplication::exit(0);
      }
      return;
    }
    panel->release();
    // A recording under way keeps its start button disabled.
    if (!cap->engine().Capturing()) {
      enable_button(Panel_start_capture);
      Panel_start_capture->setFocus();
    }
  }
}

// --- Actions ---------------------------------------------------------------------------------

void TFormMain::choix_cam_Button2Click() {
  TVideoCapture& e = cap->engine();
  e.FillConfig(config_.get());
  const std::string prefix = from_qt(Edit_nom_prefixe->text());
  if (edit_graph_config(*config_, cap->backend(), graph_memory_, prefix, this)) e.ApplyConfig(config_.get());
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
  disable_button(Panel_stop_capture);
  enable_button(Panel_start_capture);
  enable_button(Panel_BT_calibration_M);
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
