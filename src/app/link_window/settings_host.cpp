#include "app/link_window/settings_host.h"

#include <QAbstractButton>
#include <QButtonGroup>

#include "app/main_window/main_form.h"
#include "app/services/text_bridge.h"

namespace wellvue {

MainFormSettingsHost::MainFormSettingsHost(TFormMain& form) : guard_(&form), form_(&form) {}

TFormMain* MainFormSettingsHost::form() const { return guard_ ? form_ : nullptr; }

void MainFormSettingsHost::apply_colour_scheme() {
  if (form()) form()->choix_couleur();
}

std::string MainFormSettingsHost::temp_capture_file_name() const {
  return form() && form()->config() ? form()->config()->TempCaptureFileName : std::string();
}

void MainFormSettingsHost::set_temp_capture_file_name(const std::string& name) {
  if (form() && form()->config()) form()->config()->TempCaptureFileName = name;
}

GraphConfigMemory& MainFormSettingsHost::graph_memory() { return form() ? form()->graph_memory() : spare_memory_; }

std::string MainFormSettingsHost::video_folder() const { return form() ? form()->video_folder() : std::string(); }

void MainFormSettingsHost::set_video_folder(const std::string& folder) {
  if (form()) form()->set_video_folder(folder);
}

void MainFormSettingsHost::update_caption() {
  if (form()) form()->update_caption();
}

int MainFormSettingsHost::contrast_index() const { return form() ? form()->contrast_index() : read_contrast_; }

void MainFormSettingsHost::set_contrast_index(int index) { read_contrast_ = index; }

void MainFormSettingsHost::select_contrast(int index) {
  if (!form() || !form()->contraste_items) return;
  QAbstractButton* item = form()->contraste_items->button(index);
  // An index outside the three schemes selects nothing, as a radio group's index -1 would.
  if (!item || item->isChecked()) return;
  item->setChecked(true);  // the group's toggle runs RadioGroup_contrasteClick
}

void PlainSettingsHost::update_caption() {
  if (window_) window_->setWindowTitle(QString::fromUtf8(kMainCaptionPrefix) + to_qt(folder));
}

}  // namespace wellvue
