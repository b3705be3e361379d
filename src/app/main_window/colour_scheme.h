// The three contrast schemes of the main window ("normal", "clair", "sombre"): four colours each,
// a pure function of the contrast index.
#pragma once
#include <QColor>

namespace wellvue {

struct ColourScheme {
  QColor background;  // bars, side panels, button column, overlay panels
  QColor text;        // labels, groups, always-enabled buttons
  QColor button_face;
  QColor field;  // the framed file-prefix and bore-name fields
};

// 0 "normal", 1 "clair", 2 "sombre"; any other index is treated like 2.
ColourScheme colour_scheme(int contrast_index);

}  // namespace wellvue
