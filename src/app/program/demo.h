// The station without hardware: a simulated encoder board on a pseudo-terminal making a slow
// descent with pauses, the test-pattern camera, and a settings file and video folder of its own
// in the user's own demo folder (the same at every run, so a recording cut short by a crash is
// recovered by the next one as in the real station), so the real station's settings stay as they
// were.
#pragma once
#include <QString>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "app/main_window/station.h"

namespace wellvue {

class SimBoard;

class Demo {
 public:
  // Makes the folder, its settings file and the board (throws std::runtime_error when there is
  // no pseudo-terminal, or when the folder cannot be made or is not the user's own private
  // folder), and starts the board's thread.
  Demo();
  // $XDG_RUNTIME_DIR/wellvue-demo, or ~/.cache/wellvue/demo without a runtime folder.
  static QString default_folder();
  ~Demo();
  Demo(const Demo&) = delete;
  Demo& operator=(const Demo&) = delete;

  // The station's options: the test-pattern camera offered, the board's port as the only serial
  // port, the demo's settings file.
  StationOptions station_options() const;
  // The camera choice as the operator makes it: "Choix caméra" pressed, the test-pattern camera
  // picked in the configuration dialog and OK. True when the preview runs on it.
  static bool choose_test_camera(TFormMain& main);

  const std::string& port_path() const;
  QString folder() const { return folder_; }
  QString video_folder() const { return folder_ + "/videos"; }
  QString settings_file() const { return folder_ + "/wellvue-demo.ini"; }

 private:
  QString folder_;
  std::unique_ptr<SimBoard> board_;
  std::atomic<bool> stop_{false};
  std::thread runner_;
};

}  // namespace wellvue
