// The link window's controls as designed: every control with its name, caption or initial text
// and place. Handlers are wired by TForm1; this only builds the widgets.
#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <vector>

#include "app/link_window/elided_label.h"
#include "app/link_window/lines_view.h"

namespace wellvue {

struct LinkWindowDesign {
  // Displays of the link.
  QLabel* Label18 = nullptr;  // depth text
  QLabel* Label1 = nullptr;   // first burst, "CloseCom", number text of the last line
  QLabel* Label2 = nullptr;   // port and line parameters of the last open
  // Port choice and opening.
  QPushButton* Button8 = nullptr;
  QComboBox* ComboBox1_port_com = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button9 = nullptr;
  QLabel* Label32 = nullptr;
  QComboBox* ComboBox_baudrate = nullptr;
  QLineEdit* Edit4 = nullptr;  // parity
  QLineEdit* Edit5 = nullptr;  // byte size
  QLineEdit* Edit2 = nullptr;  // stop bits
  QPushButton* Button4 = nullptr;
  QPushButton* Button6 = nullptr;
  QPushButton* Button3 = nullptr;
  QCheckBox* CheckBox_options_avancees = nullptr;
  // Polling interval and time-outs.
  QLineEdit* Edit6 = nullptr;
  QLineEdit* Edit7 = nullptr;
  QLineEdit* Edit8 = nullptr;
  QLineEdit* Edit9 = nullptr;
  QLineEdit* Edit10 = nullptr;
  QLineEdit* Edit11 = nullptr;
  QCheckBox* CheckBox1 = nullptr;  // DTR
  QCheckBox* CheckBox2 = nullptr;  // RTS
  // Diagnostic columns and the scan results.
  LinesView* Memo3 = nullptr;
  LinesView* Memo1 = nullptr;
  LinesView* Memo4 = nullptr;
  LinesView* Memo2 = nullptr;
  QPlainTextEdit* Memo7 = nullptr;
  // Subtitle buffer and acquisition switch.
  LinesView* Memo5 = nullptr;  // a whole shift of entries in bounded memory
  QPushButton* Button5 = nullptr;
  QGroupBox* RadioGroup1 = nullptr;
  QRadioButton* RadioGroup1_acquisition = nullptr;  // item 0
  QRadioButton* RadioGroup1_stop = nullptr;         // item 1
  // Start depth, padding and sign.
  QComboBox* ComboBox2 = nullptr;
  QLabel* Label22 = nullptr;
  QLineEdit* Edit13 = nullptr;
  QLineEdit* Edit14 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  // Zeroing and calibration.
  QPushButton* SpeedButton1 = nullptr;
  QPushButton* SpeedButton2 = nullptr;
  QPushButton* SpeedButton3 = nullptr;
  QPushButton* SpeedButton4 = nullptr;
  QFrame* Panel_calibration = nullptr;
  QLineEdit* Edit_longueur = nullptr;
  QLineEdit* Edit_circ = nullptr;
  QPushButton* BitBtn_manu = nullptr;
  QPushButton* BitBtn_start = nullptr;
  QPushButton* BitBtn_stop = nullptr;
  QLabel* Label_tic = nullptr;
  QPushButton* BitBtn_esc = nullptr;
  // Room of the re-timing tool.
  QFrame* Panel1 = nullptr;
  QPlainTextEdit* Memo6 = nullptr;
  ElidedLabel* Label27 = nullptr;  // the loaded file's full path

  // Controls shown only with "Options avancées" (Memo7 takes the opposite state).
  std::vector<QWidget*> advanced;

  // Builds every control as a child of window, which becomes 1470 x 865, captioned "Form1".
  static LinkWindowDesign build(QWidget* window);
};

// The initial texts of the fields that the link reads.
inline constexpr const char* kInitialPortText = "port com";
inline constexpr const char* kInitialBaudText = "vitesse";

}  // namespace wellvue
