// The station's start-up: the application title, the main window (shown at once, so it asks the
// capture engine whether it can start), then the link window, which reads the settings and opens
// the stored port. The program and the start-up benchmark both start the station through this.
#pragma once
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/link_window/tform1.h"
#include "app/main_window/main_form.h"
#include "app/recording/station_recording.h"
#include "app/services/handler_boundary.h"
#include "app/services/qt_prompter.h"
#include "app/services/quit_signals.h"
#include "station/station_model.h"

namespace wellvue {

struct StationOptions {
  // Offer the test-pattern camera beside the real ones.
  bool test_source = false;
  // The program whose name with ".ini" names the settings file; empty: the running executable.
  QString settings_executable_path;
  // The serial devices offered in the port lists; null: the system's.
  std::function<std::vector<std::string>()> system_ports;
};

class Station {
 public:
  // Needs the QApplication. Returns once both windows exist; the event loop is the caller's.
  explicit Station(StationOptions options);
  ~Station();
  Station(const Station&) = delete;
  Station& operator=(const Station&) = delete;

  StationModel& model() { return *model_; }
  // SIGTERM, SIGHUP and SIGINT end the station as a confirmed "EXIT" does, without a question: a
  // recording under way is stopped as the stop button stops it, its checksum written.
  void quit_on_signals();
  TFormMain& main_form() { return *main_; }
  TForm1& link_window() { return *link_; }

  static constexpr const char* kApplicationTitle = "Wellvue";

 private:
  QtPrompter prompter_;
  HandlerBoundary boundary_;
  std::unique_ptr<StationModel> model_;
  std::unique_ptr<TFormMain> main_;
  std::unique_ptr<TForm1> link_;
  std::unique_ptr<StationRecording> recording_;
  std::unique_ptr<QuitSignals> quit_signals_;
};

}  // namespace wellvue
