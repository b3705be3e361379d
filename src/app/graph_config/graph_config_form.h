// The capture configuration dialog: the operator picks the camera, the audio source and the video
// compressor. Most fields of the capture configuration travel hidden through it; the controls keep
// the form design's names as objectName.
#pragma once
#include <QDialog>

#include "app/graph_config/capture_device_names.h"
#include "app/graph_config/graph_config_memory.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace wellvue {

class TFGraphConfig : public QDialog {
  Q_OBJECT

 public:
  // Builds the form and runs FormCreate over the given name lists. The remembered source indexes
  // are read now and written back whenever the dialog closes.
  TFGraphConfig(const CaptureDeviceNames& names, GraphConfigMemory& memory, QWidget* parent = nullptr);

  // Enabling rules: each sets the enabled state of its controls from the current check marks.
  void cbWantPreviewClick();
  void cbWantAudioClick();
  void cbWantCaptureClick();
  void cbVCompClick();
  void cbACompClick();
  // The operator picked a video compressor: the free-text field follows the list.
  void cbVCompsChange();

  // Visible controls.
  QGroupBox* GroupBox1 = nullptr;
  QLabel* Label1 = nullptr;
  QComboBox* cbVSources = nullptr;
  QLabel* Label2 = nullptr;
  QComboBox* cbASources = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QCheckBox* cbVComp = nullptr;
  QComboBox* cbVComps = nullptr;
  QLabel* Label9 = nullptr;
  QLineEdit* Edit4 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* Label11 = nullptr;
  QLabel* Label15 = nullptr;
  QLabel* Label13 = nullptr;
  QLabel* Label12 = nullptr;
  QLabel* Label14 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;

  // Controls hidden at creation; they carry the record's other values.
  QCheckBox* cbWantPreview = nullptr;
  QCheckBox* cbWantCapture = nullptr;
  QCheckBox* cbWantBitmaps = nullptr;
  QCheckBox* cbWantAudio = nullptr;
  QCheckBox* cbWantDVAudio = nullptr;
  QCheckBox* cbWantAudioPreview = nullptr;
  QCheckBox* cbDoPreallocCaptureFile = nullptr;
  QCheckBox* cbUseTempFile = nullptr;
  QCheckBox* cbAComp = nullptr;
  QComboBox* cbAComps = nullptr;
  QComboBox* cbDVResolution = nullptr;
  QComboBox* cbPixelFormat = nullptr;
  QLabel* Label3 = nullptr;  // "CaptureFileName"
  QLineEdit* Edit1 = nullptr;
  QLabel* Label4 = nullptr;  // "TempCaptureFileName"
  QLineEdit* Edit2 = nullptr;
  QLabel* Label5 = nullptr;  // "Prealloc file size"
  QLineEdit* Edit3 = nullptr;
  QLabel* Label6 = nullptr;  // "Mb"
  QLabel* Label7 = nullptr;  // "DV Resolution"
  QLabel* Label8 = nullptr;  // "BitmapPixelFormat"

  static constexpr const char* kCaption = "Capture graph configuration";

 protected:
  // FormClose: every way out (OK, Cancel, Escape, the window's close box) passes here.
  void done(int result) override;
  // Opens centred on the screen, once its final size is known.
  void showEvent(QShowEvent* event) override;

 private:
  void build_form();
  void FormCreate(const CaptureDeviceNames& names);
  void FormClose();
  void centre_on_screen();

  GraphConfigMemory& memory_;
};

// True when the box is checked (the grayed design state counts as not checked).
bool is_checked(const QCheckBox* box);

}  // namespace wellvue
