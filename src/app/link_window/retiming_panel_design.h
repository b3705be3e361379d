// The controls of the SRT re-timing panel of the link window, built inside its room (Panel1),
// with the layout of the source and output lists once a file is loaded.
#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRect>
#include <QWidget>

#include "app/link_window/elided_label.h"

namespace wellvue {

struct RetimingPanelDesign {
  QLabel* Label26 = nullptr;            // panel title
  QPushButton* SpeedButton5 = nullptr;  // Load
  ElidedLabel* Label28 = nullptr;       // the loaded file's name
  QLabel* Label29 = nullptr;
  QLineEdit* Edit_temps_avi = nullptr;  // video duration, mm:ss
  QLabel* Label30 = nullptr;
  QLineEdit* Edit_temps_srt = nullptr;  // subtitle duration, filled by a load
  QLabel* Label31 = nullptr;
  QLineEdit* Edit_decalage = nullptr;    // offset of the t0 reset, seconds
  QPushButton* Button_calcul = nullptr;  // Scale
  QPushButton* Button_t0 = nullptr;      // t0 reset
  QPushButton* Button7 = nullptr;        // Save

  // Builds the controls as children of panel.
  static RetimingPanelDesign build(QWidget* panel);
};

// Where the source and output lists go once a file is loaded: the source keeps the top of its
// designed place, shortened to half its height less 20 pixels, and the output list fills the rest
// below it. Computed from the designed place, so repeated loads give the same layout.
struct LoadedListsLayout {
  QRect source;
  QRect output;
};
LoadedListsLayout loaded_lists_layout(const QRect& designed_source);

// The file dialog's title and filter.
inline constexpr const char* kChooseSrtTitle = "Choix du fichier SRT à recalcuker";
inline constexpr const char* kChooseSrtFilter = "Fichiers SRT (*.srt);;Tous les fichiers (*.*)";

}  // namespace wellvue
