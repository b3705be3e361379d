// The link window: port choice, "OpenCom"/"CloseCom", the port scan, DTR/RTS, the diagnostic
// columns, the subtitle buffer, zeroing and calibration, and the SRT re-timing panel. It shows and edits the encoder
// link's values and forwards every handler to it; its creation reads the settings and opens the port.
#pragma once
#include <QPointer>
#include <QScrollArea>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/link_window/link_window_design.h"
#include "app/link_window/main_window_controls.h"
#include "app/link_window/qt_link_view.h"
#include "app/link_window/retiming_panel_design.h"
#include "app/link_window/settings_location.h"
#include "app/services/gui_poster.h"
#include "app/services/handler_boundary.h"
#include "encoder/clock.h"
#include "encoder/encoder_link.h"
#include "encoder/serial_port.h"
#include "station/station_model.h"
#include "subtitles/retiming_tool.h"
#include "util/prompter.h"

namespace wellvue {

class MainSettingsHost;

struct LinkWindowOptions {
  // Shared with the main window so one error shows one box; null: the window makes its own.
  HandlerBoundary* boundary = nullptr;
  // The main window's side of the settings file; null: taken from the main window itself
  // (a TFormMain), or plain values when the main window is another widget.
  MainSettingsHost* settings = nullptr;
  // The executable whose ".ini" is the settings file; empty: the running executable.
  QString executable_path;
  // The station's model, which owns the link; null: the window makes its own over port and clock.
  StationModel* model = nullptr;
  // Serial port and clock of the window's own model; null: the POSIX port and the system clock.
  SerialPort* port = nullptr;
  Clock* clock = nullptr;
  // The system's serial devices for the port lists and the scan, by name; null: the devices found
  // by serial_devices.
  std::function<std::vector<std::string>()> system_ports;
  // The same with stable names and descriptions; null (and no system_ports): /sys/class/tty and
  // /dev/serial/by-id.
  std::function<std::vector<SerialPortInfo>()> serial_devices;
  // Whether a port opens exclusively now (the scan); null: a real exclusive open.
  std::function<bool(const std::string&)> port_is_free;
  // "exit programme": ends the process at once; null: std::_Exit.
  std::function<void(int)> end_process;
  // The re-timing panel's file choice: the chosen path, empty when cancelled; null: a file
  // dialog.
  std::function<QString()> choose_srt_file;
  // The main window's controls when it is not a TFormMain (which hands over its own); none: the
  // link window shows nothing there.
  std::optional<MainWindowControls> main_controls;
  // Runs FormCreate from the constructor (settings, port lists, the stored port opened).
  bool run_form_create = true;
};

class TForm1 : public QWidget {
  Q_OBJECT
 public:
  TForm1(QWidget* main_window, Prompter& prompter, LinkWindowOptions options = {}, QWidget* parent = nullptr);
  ~TForm1() override;

  StationModel& model() { return *model_; }
  EncoderLink& link() { return *link_; }
  LinkWindowDesign& design() { return d_; }
  RetimingPanelDesign& retiming_design() { return rp_; }
  RetimingTool& retiming_tool() { return *tool_; }
  HandlerBoundary& boundary() { return *boundary_; }
  // The hand-laid controls, scrolled when the window is smaller than their designed size.
  QScrollArea& scroll_area() { return *scroll_; }
  // Places the window inside an available screen area: no larger than it, centred.
  void fit_into(const QRect& available);
  MainSettingsHost& settings_host() { return *host_; }

  // Shows the acquisition switch as the link holds it (after a poll, or after the recording
  // workflow changed it).
  void sync_acquisition_switch() { show_acquisition_switch(); }
  // Shows the start depth text the model holds in the label and the start-depth field.
  void show_start_depth(const std::string& text);

  // ---- Window events ---------------------------------------------------------------------
  void FormCreate();
  void FormActivate();
  // ---- Port -------------------------------------------------------------------------------
  // "OpenCom". The open and its pauses run on a worker thread; done(completed) runs on the GUI
  // thread once it is over (completed: no error ended it). Presses during an open wait for it.
  void Button1Click(std::function<void(bool)> done = {});
  // "CloseCom" (also at destruction). During an open it takes effect once the open is over.
  void Button2Click();
  bool opening() const { return model_->opening(); }
  void Button3Click();
  void Button4Click();
  void Button6Click();
  void Button8Click();
  void Button9Click();
  void CheckBox1Click();
  void CheckBox2Click();
  void CheckBox_options_avanceesClick();
  // ---- SRT re-timing panel -----------------------------------------------------------------
  // "choix fichier": refused during an acquisition; the chosen file replaces the subtitle track
  // once the link is closed. During an open, the close and the load wait for it to end.
  void SpeedButton5Click();
  void Button_calculClick();  // "calcul xf"
  void Button_t0Click();      // "t0 => 00:00:00.000"
  void Button7Click();        // "Enregistrer"
  // ---- Settings file (the main window's routines, run here with both windows at hand) --------
  void lire_param();
  void sauve_param();
  // The settings file and default video folder, chosen at the first reading (or writing).
  const SettingsLocation& settings_location();

 protected:
  void showEvent(QShowEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void wire();
  void wire_main_window();
  void run(const std::function<void()>& handler) { boundary_->run(handler); }
  std::vector<SerialPortInfo> system_port_infos() const;
  void after_open();
  void centre_on_screen();
  void apply_advanced(bool on);
  void show_acquisition_switch();
  void wire_retiming();
  void run_retiming(const std::function<void()>& handler);
  void load_after_close();
  void pull_output();
  void show_output();
  struct SettingsValues gather_settings();
  void apply_settings(const struct SettingsValues& values);

  QPointer<QWidget> main_;
  MainWindowControls m_;  // the main window's controls, typed
  Prompter& prompter_;
  LinkWindowOptions options_;
  LinkWindowDesign d_;
  RetimingPanelDesign rp_;
  QRect memo5_designed_;
  QScrollArea* scroll_ = nullptr;
  bool fitted_with_frame_ = false;
  std::unique_ptr<StationModel> own_model_;
  StationModel* model_ = nullptr;
  RetimingTool* tool_ = nullptr;
  std::unique_ptr<HandlerBoundary> own_boundary_;
  HandlerBoundary* boundary_ = nullptr;
  std::unique_ptr<MainSettingsHost> own_host_;
  MainSettingsHost* host_ = nullptr;
  GuiPoster poster_;
  std::unique_ptr<QtLinkView> view_;
  EncoderLink* link_ = nullptr;
};

}  // namespace wellvue
