#include "util/settings_values.h"

#include "util/numbers.h"
#include "util/text.h"

namespace wellvue {
namespace {

enum Key {
  kAddDate,
  kPrefix,
  kTempFile,
  kVideoSource,
  kAudioSource,
  kStartDepth,
  kLength,
  kCirc,
  kPositive,
  kStartCode,
  kPadding,
  kPort,
  kBaud,
  kFolder,
  kCompressor,
  kContrast
};

std::string_view key(Key k) { return kSettingsKeys[static_cast<std::size_t>(k)]; }

}  // namespace

SettingsLines default_settings_lines() {
  return {"CheckBox1.Checked = true",
          "Edit_nom_prefixe.Text = CXapture",
          "config.TempCaptureFileName = captemp.avi",
          "cbVSources_itemindex = 0",
          "cbASources_itemindex = 0",
          "zero_margelle = 0",
          "Edit_longueur.Text = 5",
          "Edit_circ.Text = 405",
          "Form1.CheckBox3.Checked = true",
          "Form1.Edit13.Text = 160",
          "Form1.Edit14.Text = 38",
          "port_com_idx = 0",
          "port_com_vitesse = 6",
          "repertoire_video =",
          "compresseur_video = DV Video Encoder",
          "contraste = 0"};
}

SettingsLines settings_lines(const SettingsValues& v) {
  SettingsLines l;
  l.reserve(kSettingsKeys.size());
  settings_add_bool(l, key(kAddDate), v.add_date);
  settings_add_text(l, key(kPrefix), v.prefix);
  settings_add_text(l, key(kTempFile), v.temp_capture_file);
  settings_add_int(l, key(kVideoSource), v.video_source_index);
  settings_add_int(l, key(kAudioSource), v.audio_source_index);
  settings_add_int(l, key(kStartDepth), v.start_depth_cm);
  settings_add_text(l, key(kLength), v.calibration_length);
  settings_add_text(l, key(kCirc), v.circumference);
  settings_add_bool(l, key(kPositive), v.positive_count);
  settings_add_text(l, key(kStartCode), v.text_start_code);
  settings_add_text(l, key(kPadding), v.padding_blanks);
  settings_add_int(l, key(kPort), v.port_index);
  settings_add_int(l, key(kBaud), v.baud_index);
  settings_add_text(l, key(kFolder), v.video_folder);
  settings_add_text(l, key(kCompressor), v.compressor);
  settings_add_int(l, key(kContrast), v.contrast);
  return l;
}

void read_settings_into(const SettingsLines& l, const std::string& default_video_folder, SettingsValues& v) {
  v.add_date = settings_read_bool(l, key(kAddDate), "false");
  v.prefix = settings_read_text(l, key(kPrefix), "capture");
  v.temp_capture_file = settings_read_text(l, key(kTempFile), "TMP.AVI");
  v.video_source_index = settings_read_int(l, key(kVideoSource), 0);
  v.audio_source_index = settings_read_int(l, key(kAudioSource), 0);
  v.calibration_length = settings_read_text(l, key(kLength), "5");
  v.circumference = settings_read_text(l, key(kCirc), "40.3");
  v.positive_count = settings_read_bool(l, key(kPositive), "true");
  v.text_start_code = settings_read_text(l, key(kStartCode), "160");
  v.padding_blanks = settings_read_text(l, key(kPadding), "45");
  v.port_index = settings_read_int(l, key(kPort), 0);
  v.baud_index = settings_read_int(l, key(kBaud), kSettingsBaudIndex);
  v.baud_index = kSettingsBaudIndex;
  v.video_folder = settings_read_text(l, key(kFolder), default_video_folder);
  v.compressor = settings_read_text(l, key(kCompressor), "");
  v.contrast = settings_read_int(l, key(kContrast), 0);
}

double metres_per_turn_from_circumference(std::string_view circumference_mm) {
  std::string text(circumference_mm);
  to_locale_separator(text);
  return metres_per_turn_as_typed(text);
}

double metres_per_turn_as_typed(std::string_view circumference_mm) { return parse_float(circumference_mm) / 1000.0; }

}  // namespace wellvue
