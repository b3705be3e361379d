#include "app/graph_config/edit_graph_config.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>

#include "app/graph_config/graph_config_form.h"
#include "app/graph_config/megabytes_text.h"
#include "app/services/text_bridge.h"
#include "capture/cap_devices.h"
#include "util/text.h"

namespace wellvue {
namespace {

void set_box(QCheckBox* box, bool checked) {
  box->setTristate(false);
  box->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

// Selects the item whose value is `value`, or nothing when the list has no such item.
void select_item(QComboBox* combo, int value) {
  combo->setCurrentIndex(value >= 0 && value < combo->count() ? value : -1);
}

// The first item equal to `name` (exact comparison), or -1.
int find_exact(const QComboBox* combo, const std::string& name) {
  const QString wanted = to_qt(name);
  for (int i = 0; i < combo->count(); ++i)
    if (combo->itemText(i) == wanted) return i;
  return -1;
}

void fill_form(TFGraphConfig& form, const TGraphConfig& config, const GraphConfigMemory& memory,
               const std::string& prefix) {
  set_box(form.cbWantPreview, config.WantPreview);
  set_box(form.cbWantCapture, config.WantCapture);
  set_box(form.cbWantBitmaps, config.WantBitmaps);
  set_box(form.cbWantAudio, config.WantAudio);
  set_box(form.cbWantDVAudio, config.WantDVAudio);
  set_box(form.cbWantAudioPreview, config.WantAudioPreview);
  set_box(form.cbDoPreallocCaptureFile, config.DoPreallocFile);
  set_box(form.cbUseTempFile, config.UseTempFile);
  set_box(form.cbVComp, true);
  set_box(form.cbAComp, true);

  // The file name shown is the main window's prefix, not the record's.
  form.Edit1->setText(to_qt(prefix));
  form.Edit2->setText(to_qt(config.TempCaptureFileName));
  select_item(form.cbDVResolution, static_cast<int>(config.DVResolution));
  select_item(form.cbPixelFormat, static_cast<int>(config.BitmapPixelFormat));
  form.Edit3->setText(to_qt(megabytes_text(config.PreallocFileSize)));
  form.Edit4->setText(to_qt(memory.video_compressor_name));

  // A source name not in the list keeps the remembered selection; a compressor name not in the
  // list leaves that list without selection.
  if (int i = find_exact(form.cbVSources, config.VideoSourceName); i >= 0) form.cbVSources->setCurrentIndex(i);
  if (int i = find_exact(form.cbASources, config.AudioSourceName); i >= 0) form.cbASources->setCurrentIndex(i);
  form.cbVComps->setCurrentIndex(find_exact(form.cbVComps, config.VideoCompressorName));
  form.cbAComps->setCurrentIndex(find_exact(form.cbAComps, config.AudioCompressorName));
  set_box(form.cbVComp, form.cbVComps->currentIndex() >= 0);
  set_box(form.cbAComp, form.cbAComps->currentIndex() >= 0);

  // The temporary-file and preallocation boxes enable nothing.
  form.cbWantPreviewClick();
  form.cbWantAudioClick();
  form.cbWantCaptureClick();
  form.cbVCompClick();
  form.cbACompClick();
}

std::string selected_text(const QComboBox* combo) {
  return combo->currentIndex() >= 0 ? from_qt(combo->currentText()) : std::string();
}

void write_back(const TFGraphConfig& form, TGraphConfig& config, GraphConfigMemory& memory) {
  // Converted before anything is written, so a failure leaves the record as it was.
  const std::uint32_t prealloc = parse_megabytes(from_qt(form.Edit3->text()));

  config.Clear();
  config.WantPreview = is_checked(form.cbWantPreview);
  config.WantCapture = is_checked(form.cbWantCapture);
  config.WantBitmaps = is_checked(form.cbWantBitmaps);
  config.WantAudio = is_checked(form.cbWantAudio);
  config.WantDVAudio = is_checked(form.cbWantDVAudio);
  config.WantAudioPreview = is_checked(form.cbWantAudioPreview);
  config.DoPreallocFile = is_checked(form.cbDoPreallocCaptureFile);
  config.UseTempFile = is_checked(form.cbUseTempFile);

  config.PreallocFileSize = prealloc;
  config.CaptureFileName = from_qt(form.Edit1->text());
  config.TempCaptureFileName = from_qt(form.Edit2->text());
  if (form.cbDVResolution->currentIndex() >= 0)
    config.DVResolution = static_cast<TDVResolution>(form.cbDVResolution->currentIndex());
  if (form.cbPixelFormat->currentIndex() >= 0)
    config.BitmapPixelFormat = static_cast<TPixelFormat>(form.cbPixelFormat->currentIndex());

  config.VideoSourceName = selected_text(form.cbVSources);
  config.AudioSourceName = selected_text(form.cbASources);
  if (is_checked(form.cbVComp)) config.VideoCompressorName = selected_text(form.cbVComps);
  if (is_checked(form.cbAComp)) config.AudioCompressorName = selected_text(form.cbAComps);
  config.VideoCompressorState.clear();

  // The free-text name wins over the list; a field of blanks only counts as empty, so the list
  // choice stands as the field looks.
  const std::string typed = trim_blanks(from_qt(form.Edit4->text()));
  if (!typed.empty()) config.VideoCompressorName = typed;
  memory.video_compressor_name = config.VideoCompressorName;
}

}  // namespace

CaptureDeviceNames dialog_device_names(GraphBackend& backend) {
  CaptureDeviceNames names;
  names.video_sources = GetVideoDeviceNames(backend, false);
  names.audio_sources = GetAudioDeviceNames(backend, false);
  names.video_compressors = GetVideoCompressorNames(backend, false);
  names.audio_compressors = GetAudioCompressorNames(backend, false);
  return names;
}

bool edit_graph_config(TGraphConfig& config, GraphBackend& backend, GraphConfigMemory& memory,
                       const std::string& prefix, QWidget* parent) {
  // On the heap and watched: a parent destroyed while the dialog is open takes the dialog with it.
  QPointer<TFGraphConfig> form = new TFGraphConfig(dialog_device_names(backend), memory, parent);
  const auto destroy = qScopeGuard([&form] { delete form.data(); });
  fill_form(*form, config, memory, prefix);
  const int result = form->exec();
  if (form.isNull() || result != QDialog::Accepted) return false;
  write_back(*form, config, memory);
  return true;
}

}  // namespace wellvue
