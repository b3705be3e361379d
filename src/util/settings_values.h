// The station's sixteen settings as plain values, with the default file, the defaults of missing
// keys, and their conversion to and from the settings lines in the fixed key order.
#pragma once
#include <array>
#include <string>
#include <string_view>

#include "util/settings_lines.h"

namespace wellvue {

// Texts are CP1252, exactly as the controls hold them.
struct SettingsValues {
  bool add_date = true;                           // CheckBox1 "plus la date"
  std::string prefix = "CXapture";                // Edit_nom_prefixe
  std::string temp_capture_file = "captemp.avi";  // TempCaptureFileName of the capture configuration
  int video_source_index = 0;                     // remembered by the capture configuration dialog
  int audio_source_index = 0;
  int start_depth_cm = 0;                // written under "zero_margelle", never read back
  std::string calibration_length = "5";  // Edit_longueur, metres
  std::string circumference = "405";     // Edit_circ, millimetres per wheel turn
  bool positive_count = true;            // link window CheckBox3 "sens positif"
  std::string text_start_code = "160";   // link window Edit13
  std::string padding_blanks = "38";     // link window Edit14
  int port_index = 0;
  int baud_index = 6;        // 9600 baud
  std::string video_folder;  // empty means the default video folder
  std::string compressor = "DV Video Encoder";
  int contrast = 0;  // 0 normal, 1 clair, 2 sombre
};

inline constexpr std::array<std::string_view, 16> kSettingsKeys = {
    "CheckBox1.Checked",       "Edit_nom_prefixe.Text", "config.TempCaptureFileName", "cbVSources_itemindex",
    "cbASources_itemindex",    "zero_margelle",         "Edit_longueur.Text",         "Edit_circ.Text",
    "Form1.CheckBox3.Checked", "Form1.Edit13.Text",     "Form1.Edit14.Text",          "port_com_idx",
    "port_com_vitesse",        "repertoire_video",      "compresseur_video",          "contraste"};

// The baud index every reading ends with, whatever the file says.
inline constexpr int kSettingsBaudIndex = 6;

// The sixteen lines used when there is no settings file.
SettingsLines default_settings_lines();

// The sixteen lines for the values, in key order.
SettingsLines settings_lines(const SettingsValues& values);

// Reads the keys in the station's order into values, with the defaults of missing or empty keys;
// default_video_folder (CP1252) stands for an empty "repertoire_video". The start depth is not read
// and the baud index ends at 6. A value that does not convert raises ConversionError at its key:
// the keys before it are applied, the ones after it keep what values held.
void read_settings_into(const SettingsLines& lines, const std::string& default_video_folder, SettingsValues& values);

// Metres per wheel turn from the circumference text in millimetres, a point or a comma accepted as
// the decimal mark ("405" gives 0.405). Raises ConversionError when it is not a number.
double metres_per_turn_from_circumference(std::string_view circumference_mm);
// The same with only the decimal separator in use accepted, as every encoder line reads the field.
double metres_per_turn_as_typed(std::string_view circumference_mm);

}  // namespace wellvue
