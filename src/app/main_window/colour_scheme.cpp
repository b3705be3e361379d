#include "app/main_window/colour_scheme.h"

namespace wellvue {

ColourScheme colour_scheme(int contrast_index) {
  switch (contrast_index) {
    case 0:
      return {QColor(49, 141, 168), QColor(0, 0, 0), QColor(99, 191, 218), QColor(100, 222, 216)};
    case 1:
      return {QColor(255, 255, 255), QColor(0, 0, 128), QColor(220, 220, 250), QColor(255, 255, 255)};
    default:
      return {QColor(0, 0, 0), QColor(255, 255, 255), QColor(0, 0, 0), QColor(0, 0, 0)};
  }
}

}  // namespace wellvue
