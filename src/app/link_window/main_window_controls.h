// The main window's controls that the link window shows and the settings file reads and writes,
// as typed pointers: the main window hands them over, so a renamed control fails to compile. A
// control left null (or gone with its window) is skipped.
#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QWidget>

namespace wellvue {

struct MainWindowControls {
  QPointer<QLabel> Label2;     // depth line
  QPointer<QLabel> Label5;     // status
  QPointer<QLabel> Label7;     // start depth
  QPointer<QLabel> Label_tic;  // calibration count
  QPointer<QLineEdit> Edit_nom_prefixe;
  QPointer<QLineEdit> Edit_nom_forage;
  QPointer<QLineEdit> Edit_longueur;
  QPointer<QLineEdit> Edit_circ;
  QPointer<QCheckBox> CheckBox1;  // "plus la date"
  QPointer<QComboBox> ComboBox1;  // start depth field
  QPointer<QWidget> Panel_open_com;
  QPointer<QWidget> Panel_rep;
  QPointer<QWidget> Panel_start_capture;
  QPointer<QWidget> BitBtn_start;
  QPointer<QWidget> BitBtn_stop;
  QPointer<QListWidget> ListBox_param;
};

}  // namespace wellvue
