// Helpers of the link window tests: a main window with the named controls the link window
// touches, waiting on the event loop, temporary folders and a folder nobody may write to.
#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <string>

#include "../support/wait_until.h"
#include "app/link_window/main_window_controls.h"

namespace wellvue::testing {

// The controls of the station's main window that the settings and the link use, by name.
struct FakeMainWindow {
  FakeMainWindow();
  QWidget window;
  QLabel* Label2;
  QLabel* Label5;
  QLabel* Label7;
  QLabel* Label_tic;
  QLineEdit* Edit_nom_prefixe;
  QLineEdit* Edit_nom_forage;
  QLineEdit* Edit_longueur;
  QLineEdit* Edit_circ;
  QCheckBox* CheckBox1;
  QComboBox* ComboBox1;
  QPushButton* Panel_open_com;
  QPushButton* Panel_rep;
  QPushButton* Panel_start_capture;
  QPushButton* BitBtn_start;
  QPushButton* BitBtn_stop;
  QListWidget* ListBox_param;
  // The same, handed to the link window.
  MainWindowControls controls() {
    return {Label2,      Label5,       Label7,    Label_tic,      Edit_nom_prefixe, Edit_nom_forage,     Edit_longueur,
            Edit_circ,   CheckBox1,    ComboBox1, Panel_open_com, Panel_rep,        Panel_start_capture, BitBtn_start,
            BitBtn_stop, ListBox_param};
  }
};

// Runs the event loop until pred() holds or the time passes; returns pred().
// Writes bytes to a file, replacing it.
void write_file(const QString& path, const std::string& bytes);
std::string read_file(const QString& path);

// A folder in which not even root can create files, made from a fresh temporary folder; false
// when this system cannot make one (the test is then skipped).
class UnwritableDir {
 public:
  UnwritableDir();
  ~UnwritableDir();
  bool ok() const { return ok_; }
  QString path() const { return dir_.path(); }
  // Files put in before it is locked.
  void lock();

 private:
  QTemporaryDir dir_;
  bool ok_ = false;
  bool immutable_ = false;
};

}  // namespace wellvue::testing
