// Qt's own texts (file and folder dialogs, standard buttons, context menus) in French, as the rest
// of the station speaks, from Qt's translations installed on the system.
#pragma once
#include <QString>

namespace wellvue {

// Installs Qt's French translations in the running application; returns the folder they were
// loaded from, or an empty text when none was found (the dialogs then stay in English).
QString install_french_translations();

}  // namespace wellvue
