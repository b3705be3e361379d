#include "app/main_window/station.h"

#include <QCoreApplication>
#include <cstdlib>

#include "app/main_window/station_backend.h"
#include "app/review/review_window.h"
#include "app/services/text_bridge.h"
#include "util/decimal_separator.h"
#include "util/observation_codes.h"
#include "util/settings_file.h"

namespace wellvue {

Station::Station(StationOptions options) : boundary_(prompter_) {
  QCoreApplication::setApplicationName(kApplicationTitle);
  init_decimal_separator_from_locale();
  model_ = std::make_unique<StationModel>(prompter_);

  MainFormOptions form_options;
  form_options.boundary = &boundary_;
  form_options.config = &model_->capture_config();
  main_ = std::make_unique<TFormMain>(station_backend(options.test_source), prompter_, form_options);
  prompter_.set_parent(main_.get());
  // The window is designed visible: FormShow runs now and asks the engine whether it can start.
  main_->show();

  LinkWindowOptions link_options;
  link_options.model = model_.get();
  link_options.boundary = &boundary_;
  link_options.executable_path = options.settings_executable_path;
  // "exit programme" finishes a recording under way before the process ends.
  link_options.end_process = [this](int code) {
    if (recording_) recording_->FormClose();
    std::_Exit(code);
  };
  if (options.system_ports) link_options.system_ports = options.system_ports;
  link_ = std::make_unique<TForm1>(main_.get(), prompter_, link_options);

  TForm1* link = link_.get();
  StationLinks links;
  links.show_link_window = [link] {
    link->show();
    link->raise();
    link->activateWindow();
    link->setFocus();
  };
  StationModel* model = model_.get();
  links.water_zero = [model] { model->link().SpeedButton2Click(); };
  links.save_settings = [link] { link->sauve_param(); };
  links.set_start_depth_cm = [model](int cm) { model->set_start_depth_cm(cm); };
  links.show_start_depth_in_link = [model, link](const std::string& text) {
    model->set_start_depth_text(text);
    link->show_start_depth(text);
  };
  links.curb_zero_now = [model] { model->link().curb_zero_now(); };
  links.correct_depth = [model](double m) { model->link().correct_depth_to(m); };
  links.calibration_start = [model](Sender s) { model->link().BitBtn_startClick(s); };
  links.calibration_stop = [model](Sender s) { model->link().BitBtn_stopClick(s); };
  links.calibration_manual = [model](Sender s) { model->link().BitBtn_manuClick(s); };
  recording_ = std::make_unique<StationRecording>(*main_, *link_, prompter_);
  StationRecording* recording = recording_.get();
  links.start_recording = [recording] { return recording->btStartClick(); };
  links.stop_recording = [recording] { recording->btStopClick(); };
  links.recording_progress = [recording] { recording->capCaptureProgress(); };
  links.finish_recording = [recording] { recording->FormClose(); };
  links.take_photo = [recording] { recording->take_photo(); };
  links.review_last = [recording, this] {
    const std::string avi = recording->workflow().avi_name();
    if (!avi.empty()) open_review_window(path_from_text(avi).string(), main_.get());
  };
  links.begin_observation = [recording] { return recording->begin_observation(); };
  links.observe = [recording](const std::string& code, const std::string& note) { recording->observe(code, note); };
  links.cancel_observation = [recording] { recording->cancel_observation(); };
  // The codes list sits beside the settings file, for the operator to edit.
  const std::filesystem::path codes = observation_codes_path(link->settings_location().settings_file);
  links.observation_codes = [this, codes] {
    ObservationCodes read = load_observation_codes(codes);
    if (!read.message.empty()) prompter_.inform(read.message);
    return read.codes;
  };
  links.save_observation_codes = [this, codes](const std::vector<std::string>& list) {
    const std::string message = save_observation_codes(codes, list);
    if (!message.empty()) prompter_.inform(message);
  };
  main_->set_links(std::move(links));
  // Before any camera choice or recording: a new recording would replace the old temporary file.
  recording_->recover_unfinished();
}

void Station::quit_on_signals() {
  TFormMain* main = main_.get();
  quit_signals_ = std::make_unique<QuitSignals>([main](int) { main->quit_without_question(0); });
}

Station::~Station() {
  quit_signals_.reset();
  // The recording refers to both windows, the link window to the main window.
  recording_.reset();
  link_.reset();
  main_.reset();
  model_.reset();
}

}  // namespace wellvue
