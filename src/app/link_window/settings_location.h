// Where this station's settings file and default video folder are: the choice of the settings
// module, given the user's configuration and video folders as the desktop names them.
#pragma once
#include <QString>

#include "util/settings_file.h"

namespace wellvue {

// executable_path: the running program; its name with ".ini" names the settings file.
SettingsLocation station_settings_location(const QString& executable_path);

}  // namespace wellvue
