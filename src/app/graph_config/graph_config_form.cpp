#include "app/graph_config/graph_config_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>

#include "app/services/text_bridge.h"

namespace wellvue {
namespace {

void fill(QComboBox* combo, const std::vector<std::string>& names) {
  combo->clear();
  for (const auto& name : names) combo->addItem(to_qt(name));
}

// Selects the item at index, or nothing when the index is outside the list.
void select_index(QComboBox* combo, int index) {
  combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

}  // namespace

bool is_checked(const QCheckBox* box) { return box->checkState() == Qt::Checked; }

TFGraphConfig::TFGraphConfig(const CaptureDeviceNames& names, GraphConfigMemory& memory, QWidget* parent)
    : QDialog(parent), memory_(memory) {
  build_form();
  // A box changed by the program runs its handler as an operator's click would.
  connect(cbWantPreview, &QCheckBox::stateChanged, this, &TFGraphConfig::cbWantPreviewClick);
  connect(cbWantAudio, &QCheckBox::stateChanged, this, &TFGraphConfig::cbWantAudioClick);
  connect(cbWantCapture, &QCheckBox::stateChanged, this, &TFGraphConfig::cbWantCaptureClick);
  connect(cbVComp, &QCheckBox::stateChanged, this, &TFGraphConfig::cbVCompClick);
  connect(cbAComp, &QCheckBox::stateChanged, this, &TFGraphConfig::cbACompClick);
  // Only the operator's pick moves the free-text field, not the program's selection.
  connect(cbVComps, &QComboBox::activated, this, &TFGraphConfig::cbVCompsChange);
  FormCreate(names);
}

void TFGraphConfig::FormCreate(const CaptureDeviceNames& names) {
  fill(cbVSources, names.video_sources);
  select_index(cbVSources, memory_.video_source_index);
  fill(cbASources, names.audio_sources);
  select_index(cbASources, memory_.audio_source_index);
  fill(cbVComps, names.video_compressors);
  cbVComps->setCurrentIndex(-1);
  fill(cbAComps, names.audio_compressors);
  cbAComps->setCurrentIndex(-1);

  for (QWidget* w : std::initializer_list<QWidget*>{cbWantPreview,
                                                    cbWantCapture,
                                                    cbWantBitmaps,
                                                    cbWantDVAudio,
                                                    cbDoPreallocCaptureFile,
                                                    cbUseTempFile,
                                                    cbWantAudio,
                                                    cbWantAudioPreview,
                                                    cbAComp,
                                                    cbAComps,
                                                    Label4,
                                                    Label3,
                                                    Label5,
                                                    Label6,
                                                    Label7,
                                                    Label8,
                                                    Edit1,
                                                    Edit2,
                                                    Edit3,
                                                    cbDVResolution,
                                                    cbPixelFormat})
    w->hide();
}

void TFGraphConfig::FormClose() {
  memory_.video_source_index = cbVSources->currentIndex();
  memory_.audio_source_index = cbASources->currentIndex();
}

void TFGraphConfig::done(int result) {
  FormClose();
  QDialog::done(result);
}

void TFGraphConfig::cbWantPreviewClick() {
  const bool preview = is_checked(cbWantPreview);
  cbWantBitmaps->setEnabled(preview);
  cbWantAudioPreview->setEnabled(preview);
}

void TFGraphConfig::cbWantAudioClick() {
  const bool audio = is_checked(cbWantAudio);
  cbASources->setEnabled(audio);
  const bool audio_capture = is_checked(cbWantCapture) && audio;
  cbAComp->setEnabled(audio_capture);
  cbAComps->setEnabled(audio_capture);
}

void TFGraphConfig::cbWantCaptureClick() {
  const bool capture = is_checked(cbWantCapture);
  for (QWidget* w :
       std::initializer_list<QWidget*>{cbDoPreallocCaptureFile, cbUseTempFile, cbVComps, cbVComp, cbAComps, cbAComp})
    w->setEnabled(capture);
}

void TFGraphConfig::cbVCompClick() { cbVComps->setEnabled(is_checked(cbWantCapture) && is_checked(cbVComp)); }

void TFGraphConfig::cbACompClick() {
  cbAComps->setEnabled(is_checked(cbWantCapture) && is_checked(cbWantAudio) && is_checked(cbAComp));
}

void TFGraphConfig::cbVCompsChange() { Edit4->setText(cbVComps->currentText()); }

void TFGraphConfig::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) centre_on_screen();
}

void TFGraphConfig::centre_on_screen() {
  QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

}  // namespace wellvue
