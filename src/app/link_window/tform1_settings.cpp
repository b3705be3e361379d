// Reading and writing the settings file over both windows (lire_param, sauve_param).
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "app/link_window/main_window_controls.h"
#include "app/link_window/settings_host.h"
#include "app/link_window/tform1.h"
#include "app/services/text_bridge.h"
#include "util/cp1252.h"
#include "util/numbers.h"
#include "util/settings_values.h"

namespace wellvue {
namespace {

constexpr const char* kStartCaptureHint =
    " Start capture avec une information et deux questions SI la caméra a été choisie \n"
    "  - information des noms de fichiers d'enregistrement\n"
    "  - mettre les compteurs à zéro ?\n"
    "  - Lancement effectif O/N";
constexpr const char* kOpenComHint =
    "  Pour tester la liaison et l'encodeur de rotation \n il suffit de faire tourner la grande roue";

std::string text_of(QLineEdit* e, const std::string& fallback) { return e ? from_qt(e->text()) : fallback; }

void set_text(QLineEdit* e, const std::string& text) {
  if (e) e->setText(to_qt(text));
}

void show_lines(const MainWindowControls& main, const SettingsLines& lines) {
  QListWidget* list = main.ListBox_param;
  if (!list) return;
  list->clear();
  for (const std::string& l : lines) list->addItem(to_qt(l));
}

}  // namespace

const SettingsLocation& TForm1::settings_location() {
  if (!model_->has_settings_location()) {
    model_->set_settings_location(station_settings_location(options_.executable_path));
  }
  return model_->settings_location();
}

// The live values: the main window's controls and module values, and the link's own part.
SettingsValues TForm1::gather_settings() {
  const MainWindowControls& m = m_;
  SettingsValues v;
  auto* date = m.CheckBox1.data();
  v.add_date = date ? date->isChecked() : v.add_date;
  v.prefix = text_of(m.Edit_nom_prefixe, v.prefix);
  v.temp_capture_file = host_->temp_capture_file_name();
  v.video_source_index = host_->graph_memory().video_source_index;
  v.audio_source_index = host_->graph_memory().audio_source_index;
  v.calibration_length = text_of(m.Edit_longueur, v.calibration_length);
  v.circumference = text_of(m.Edit_circ, v.circumference);
  v.video_folder = host_->video_folder();
  v.compressor = host_->graph_memory().video_compressor_name;
  v.contrast = host_->contrast_index();
  model_->link_settings_into(v);
  return v;
}

// Shows values the model has taken: the controls of both windows and the main window's module
// values.
void TForm1::apply_settings(const SettingsValues& v) {
  const MainWindowControls& m = m_;
  if (auto* date = m.CheckBox1.data()) date->setChecked(v.add_date);
  set_text(m.Edit_nom_prefixe, v.prefix);
  host_->set_temp_capture_file_name(v.temp_capture_file);
  host_->graph_memory().video_source_index = v.video_source_index;
  host_->graph_memory().audio_source_index = v.audio_source_index;
  set_text(m.Edit_longueur, v.calibration_length);
  set_text(m.Edit_circ, v.circumference);
  const LinkFields& f = link_->fields();
  d_.Edit_circ->setText(to_qt(f.Edit_circ));
  d_.CheckBox3->setChecked(f.CheckBox3);
  d_.Edit13->setText(to_qt(f.Edit13));
  d_.Edit14->setText(to_qt(f.Edit14));
  host_->set_video_folder(v.video_folder);
  host_->graph_memory().video_compressor_name = v.compressor;
  host_->update_caption();
  host_->set_contrast_index(v.contrast);
}

void TForm1::lire_param() {
  host_->apply_colour_scheme();
  settings_location();
  const SettingsLines lines = model_->settings_file_lines();
  show_lines(m_, lines);
  SettingsValues values = gather_settings();
  try {
    model_->read_settings(lines, values);
  } catch (...) {
    // The keys read before the failing one are applied; the rest keep their values.
    apply_settings(values);
    throw;
  }
  apply_settings(values);

  const MainWindowControls& m = m_;
  if (auto* rep = m.Panel_rep.data())
    rep->setToolTip(QStringLiteral("  ") + to_qt(values.video_folder) + QStringLiteral("  "));
  if (auto* start = m.Panel_start_capture.data()) start->setToolTip(QString::fromUtf8(kStartCaptureHint));
  if (auto* open = m.Panel_open_com.data()) open->setToolTip(QString::fromUtf8(kOpenComHint));

  const std::string depth = int_text(link_->state().start_depth_cm) + " cm";
  if (auto* l7 = m.Label7.data()) l7->setText(to_qt(depth));
  if (auto* c1 = m.ComboBox1.data()) c1->setEditText(to_qt(depth));
  link_->main_fields().Label7 = depth;
  link_->main_fields().ComboBox1 = depth;

  link_->state().metres_per_turn = metres_per_turn_from_circumference(link_->main_fields().Edit_circ);

  host_->select_contrast(values.contrast);
}

void TForm1::sauve_param() {
  settings_location();
  SettingsLines lines;
  const SettingsWriteResult written = model_->save_settings(gather_settings(), lines);
  show_lines(m_, lines);
  if (!written.ok) prompter_.inform(written.message);
}

}  // namespace wellvue
