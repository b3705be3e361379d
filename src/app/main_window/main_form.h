// The station's main window: the live picture between a column of large buttons and the view
// options, the depth and status texts underneath, and the hidden reference panels over the video.
// Every control carries its form name as objectName, so the link window finds what it writes.
#pragma once
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/graph_config/graph_config_memory.h"
#include "app/link_window/main_window_controls.h"
#include "app/main_window/capture_view.h"
#include "app/main_window/image_button.h"
#include "app/main_window/recording_mark.h"
#include "app/main_window/station_links.h"
#include "app/services/handler_boundary.h"
#include "capture/graph_config.h"
#include "util/prompter.h"

namespace wellvue {

struct MainFormOptions {
  // Screen height the layout rules compare with 900; 0 takes the window's screen.
  int screen_height = 0;
  // The screen area the window opens in (fitted and centred); null takes the window's screen's
  // available area.
  QRect available_area;
  // Errors escaping a handler are shown through it; null: the window makes its own boundary.
  HandlerBoundary* boundary = nullptr;
  // Ends the application after the capture engine could not start (default: a queued quit of the
  // event loop with this exit code, so start-up completes first).
  std::function<void(int)> quit_application;
  // Ends the process at once after "EXIT" was confirmed (default: leave the event loop with code).
  std::function<void(int)> end_process;
  // The capture engine's configuration, owned by the station's model; null: the window makes its
  // own at its creation.
  TGraphConfig* config = nullptr;
  // Opens a folder or a document with the desktop's program for it (default: QDesktopServices).
  std::function<void(const QString& path)> open_with_desktop;
};

class TFormMain : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kDesignWidth = 1321;
  static constexpr int kDesignHeight = 816;
  static constexpr const char* kCaptionPrefix = "W e l l v u e  v1.4   Arduino         répertoire vidéo : ";  // UTF-8

  // Builds the form and runs FormCreate. The window is shown by the caller (FormShow runs then).
  TFormMain(const CaptureView::BackendFactory& make_backend, Prompter& prompter, MainFormOptions options = {},
            QWidget* parent = nullptr);
  ~TFormMain() override;

  void set_links(StationLinks links) { links_ = std::move(links); }
  const StationLinks& links() const { return links_; }
  // What the link window shows here and the settings file reads and writes.
  MainWindowControls link_controls() {
    return {Label2,      Label5,       Label7,    Label_tic,      Edit_nom_prefixe, Edit_nom_forage,     Edit_longueur,
            Edit_circ,   CheckBox1,    ComboBox1, Panel_open_com, Panel_rep,        Panel_start_capture, BitBtn_start,
            BitBtn_stop, ListBox_param};
  }

  // --- Window events -----------------------------------------------------------------------
  void FormCreate();
  void FormShow();
  void FormClose();
  void FormDestroy();
  // A recording under way is not ended by a click: closing the window or "EXIT" asks first; true
  // when the station may close. The session's end (a signal) quits without asking.
  bool may_close();
  // The keys of the field commands, each the press of its button: F2 Start, F3 Stop, F4 ZERO
  // margelle, F8 ZERO eau, F5 Photo, F6 Observation, F7 Revoir.
  std::vector<std::pair<Qt::Key, ImageButton*>> command_keys() const;
  // F9: the depth corrected at a known mark (a casing shoe, a marked length of cable): the operator
  // types the true depth in metres; the station goes on from it and marks the shift.
  void correct_depth();
  void quit_without_question(int code);
  static constexpr const char* kStopAndQuitQuestion =
      "Un enregistrement est en cours. L'arr\xEAter et quitter ?";  // CP1252
  void FormResize();

  // --- Image buttons -----------------------------------------------------------------------
  void Panel_BT_MMouseDown(ImageButton* panel);
  void Panel_BT_MMouseUp(ImageButton* panel);
  void Image_MouseDown(ButtonIcon* icon);
  void Image_MouseUp(ButtonIcon* icon);
  void traite_down(ImageButton* panel);
  // Enabled means: the caption takes the colour of "Choix caméra".
  void enable_button(ImageButton* panel);
  void disable_button(ImageButton* panel);
  // The buttons a recording state changes (the others keep theirs): Recording once a start
  // succeeded, Stopped after a stop by the button or by the engine, Ready once a start is
  // possible again (camera chosen, exit refused with no recording).
  enum class ButtonStates { Recording, Stopped, Ready };
  void set_button_states(ButtonStates state);

  // --- Framed fields -----------------------------------------------------------------------
  // Centring rule of a framed edit (width from its frame, text start centred).
  void centre_edit(QLineEdit* edit);
  void Edit_center_KeyUp(QLineEdit* edit, int key);
  void Panel_edit_centreClick(QFrame* frame);

  // --- Actions of the dispatch and of the panels ---------------------------------------------
  bool btStartClick();
  void btStopClick();
  void choix_cam_Button2Click();
  void choix_couleur();
  void RadioGroup_contrasteClick();
  void RadioGroup_xyClick();
  void BitBtn2Click();
  void BitBtn_escClick();
  // Curb panel: the start depth from the box (its list or Enter), "Ok" (start depth and curb zero).
  void ComboBox1Click();
  void ComboBox1KeyDown(int key);
  void BitBtn1Click();
  // Calibration panel: forwarded to the link with this window's buttons as the sender.
  void BitBtn_startClick();
  void BitBtn_stopClick();
  void BitBtn_manuClick();
  // True when a folder was chosen.
  bool Panel_repClick();
  void Panel_visionnerClick();
  void Panel_helpClick();
  // "Photo" (F5) and "Observation" (F6, through the observation dialog).
  void Panel_photoClick();
  void Panel_observationClick();
  void Panel_revoirClick();  // the last recording in the review window
  void capCaptureProgress();
  // The buttons of a stopped recording (also after the engine ended it by itself).
  void show_recording_stopped();
  // The recording mark and the file being written (the engine's capture file name), shown from
  // the start of a recording until show_recording_stopped().
  void show_recording_started();
  bool recording_shown() const { return RecordingMark_rec->isVisibleTo(this); }
  // A notice in the status bar (CP1252) that asks for no answer; empty clears it.
  void show_status_notice(const std::string& text);

  // --- State shared with the settings and the link window ------------------------------------
  TGraphConfig* config() { return config_; }
  // The configuration dialog's remembered source indexes and compressor name (settings values).
  GraphConfigMemory& graph_memory() { return graph_memory_; }
  TVideoCapture& engine() { return cap->engine(); }
  const std::string& video_folder() const { return video_folder_; }
  void set_video_folder(const std::string& folder);  // also rebuilds the caption
  int contrast_index() const { return contrast_index_; }
  QString aspect_text() const;
  int screen_height() const;
  QRect available_area() const;
  // Opens the window inside the available area: the designed size where it fits, otherwise scaled
  // down with its proportions kept, centred.
  void fit_to_screen();
  // The left panel's width below which its aspect and contrast choices would be cut.
  int least_left_width() const { return least_left_; }
  // The window caption: the caption prefix followed by the video folder.
  void update_caption();

  // --- Controls (objectName = the name of the field) -----------------------------------------
  // Bottom bar and status bar.
  QFrame* Panel1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label5 = nullptr;
  QFrame* StatusBar = nullptr;
  QLabel* StatusBar_text = nullptr;
  // While recording: the red mark left of the depth, and the file being written.
  RecordingMark* RecordingMark_rec = nullptr;
  QLabel* StatusBar_file = nullptr;
  // Left panel.
  QFrame* Panel4 = nullptr;
  QGroupBox* RadioGroup_xy = nullptr;
  QButtonGroup* xy_items = nullptr;
  QGroupBox* RadioGroup_contraste = nullptr;
  QButtonGroup* contraste_items = nullptr;
  QLabel* Label6 = nullptr;
  QWidget* Image1 = nullptr;
  // Under the logo: a snapshot and an observation at the present depth.
  ImageButton* Panel_photo = nullptr;
  ImageButton* Panel_observation = nullptr;
  ImageButton* Panel_revoir = nullptr;
  // Right panel and its button column.
  QFrame* Panel3 = nullptr;
  QFrame* Panel10 = nullptr;
  ImageButton* Panel_choix_cam = nullptr;
  ImageButton* Panel_start_capture = nullptr;
  ImageButton* Panel_stop_capture = nullptr;
  ImageButton* Panel_visionner = nullptr;
  ImageButton* Panel_open_com = nullptr;
  ImageButton* Panel_BT_calibration_M = nullptr;
  ImageButton* Panel_zero_margelle = nullptr;
  ImageButton* Panel_zero_eau = nullptr;
  ImageButton* Panel_help = nullptr;
  ImageButton* Panel_exit = nullptr;
  QPushButton* Button2 = nullptr;  // "Choix caméra(obligé)": focus holder hidden under its panel
  QLabel* Label1 = nullptr;
  QFrame* Panel_nom_prefixe = nullptr;
  QLineEdit* Edit_nom_prefixe = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  ImageButton* Panel_rep = nullptr;
  QLabel* Label7 = nullptr;
  QFrame* Panel_nom_forage = nullptr;
  QLineEdit* Edit_nom_forage = nullptr;
  // The capture control.
  CaptureView* cap = nullptr;
  // Overlays over the video, hidden at start.
  QFrame* Panel6 = nullptr;
  QFrame* Panel_margelle = nullptr;
  QLabel* Label8 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QFrame* Panel_calibration = nullptr;
  QLabel* Label23 = nullptr;
  QLabel* Label9 = nullptr;
  QFrame* Panel_longueur = nullptr;
  QLineEdit* Edit_longueur = nullptr;
  QLabel* Label11 = nullptr;
  QPushButton* BitBtn_start = nullptr;
  QLabel* Label_tic = nullptr;
  QLabel* Label12 = nullptr;
  QPushButton* BitBtn_stop = nullptr;
  QLabel* Label24 = nullptr;
  QFrame* Panel_circ = nullptr;
  QLineEdit* Edit_circ = nullptr;
  QLabel* Label20 = nullptr;
  QPushButton* BitBtn_manu = nullptr;
  QPushButton* BitBtn_esc = nullptr;
  QPlainTextEdit* Memo_help = nullptr;
  // The in-memory image of the settings file.
  QListWidget* ListBox_param = nullptr;

  // The twelve image buttons and the ten icons, in form order.
  std::vector<ImageButton*> image_buttons() const;
  std::vector<ButtonIcon*> icons() const;

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build_design();
  void build_left_panel();
  void build_button_column();
  void build_overlays();
  void wire_handlers();
  void wire_panels();
  // The start depth typed or chosen in ComboBox1; nullopt (after the message) when it has no digit.
  std::optional<int> read_start_depth();
  void open_with_desktop(const QString& path);
  // Places the docked regions (bottom bars, side panels, the capture control between them).
  void dock();
  void set_side_widths(int left, int right);
  // The button column laid out in the right panel's height (its gaps shrink on a low window).
  void fit_button_column();
  void place_status_bar();
  // The photo and observation buttons under the logo, at the logo's width.
  void place_left_buttons();
  int left_panel_need() const;
  void run_handler(const std::function<void()>& handler);
  void quit_after_start(int code);

  Prompter& prompter_;
  MainFormOptions options_;
  std::unique_ptr<HandlerBoundary> own_boundary_;
  HandlerBoundary* boundary_ = nullptr;
  StationLinks links_;
  std::unique_ptr<TGraphConfig> own_config_;
  TGraphConfig* config_ = nullptr;  // null before FormCreate and after FormDestroy
  GraphConfigMemory graph_memory_;
  std::string video_folder_;
  QString caption_prefix_;
  int contrast_index_ = 0;
  int left_width_ = 152;
  int least_left_ = 0;
  // The button column's controls at their designed places (after the low-screen moves).
  std::vector<std::pair<QWidget*, QRect>> column_design_;
  QString recording_file_;
  int right_width_ = 233;
  bool in_resize_ = false;
  bool shown_once_ = false;
  bool quitting_ = false;  // the operator agreed to quit, or the session ends: no more questions
  bool closed_ = false;
};

}  // namespace wellvue
