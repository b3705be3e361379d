#include "app/link_window/retiming_panel_design.h"

#include <QFont>
#include <algorithm>

#include "app/services/placed_widget.h"

namespace wellvue {
namespace {

QLabel* label(QWidget* p, const char* name, const QString& text, int x, int y, int w) {
  return place(new QLabel(text, p), name, x, y, w, 24);
}

QLineEdit* edit(QWidget* p, const char* name, int x, int y, int w) {
  return place(new QLineEdit(p), name, x, y, w, 24);
}

QPushButton* button(QWidget* p, const char* name, const QString& text, const QString& hint, int x, int y, int w) {
  QPushButton* b = place(new QPushButton(text, p), name, x, y, w, 28);
  if (!hint.isEmpty()) b->setToolTip(hint);
  return b;
}

}  // namespace

RetimingPanelDesign RetimingPanelDesign::build(QWidget* panel) {
  RetimingPanelDesign d;
  d.Label26 = label(panel, "Label26", QStringLiteral("post-traitement fichiers SRT"), 8, 4, 274);
  QFont bold = d.Label26->font();
  bold.setBold(true);
  d.Label26->setFont(bold);
  d.SpeedButton5 = button(panel, "SpeedButton5", QStringLiteral("choix fichier"), QString(), 8, 30, 110);
  d.Label28 = place(new ElidedLabel(QStringLiteral("fichier"), panel), "Label28", 126, 32, 156, 24);

  d.Label29 = label(panel, "Label29", QStringLiteral("AVI  mm:ss"), 8, 64, 150);
  d.Edit_temps_avi = edit(panel, "Edit_temps_avi", 162, 64, 120);
  d.Edit_temps_avi->setToolTip(QStringLiteral("saisir la durée de la vidéo"));
  d.Label30 = label(panel, "Label30", QStringLiteral("SRT hh:mm:ss,sss"), 8, 92, 150);
  d.Edit_temps_srt = edit(panel, "Edit_temps_srt", 162, 92, 120);
  d.Label31 = label(panel, "Label31", QStringLiteral("décalage + ou - en s"), 8, 120, 150);
  d.Edit_decalage = edit(panel, "Edit_decalage", 162, 120, 120);

  d.Button_calcul = button(panel, "Button_calcul", QStringLiteral("calcul xf"),
                           QStringLiteral("applique un facteur au temps"), 8, 150, 100);
  d.Button_t0 = button(panel, "Button_t0", QStringLiteral("t0 => 00:00:00.000"),
                       QStringLiteral("mise à zéro du temps initial et renumérotation"), 112, 150, 170);
  d.Button7 = button(panel, "Button7", QStringLiteral("Enregistrer"),
                     QStringLiteral("on rajoute un _ devant le nom!!!"), 8, 182, 274);
  return d;
}

LoadedListsLayout loaded_lists_layout(const QRect& designed) {
  // Never below a few lines' worth, whatever height the source list was designed with.
  constexpr int kGap = 4;
  constexpr int kMinimum = 40;
  const int source_h = std::max(kMinimum, designed.height() / 2 - 20);
  const int output_y = designed.y() + source_h + kGap;
  const int output_h = std::max(kMinimum, designed.bottom() + 1 - output_y);
  return {QRect(designed.x(), designed.y(), designed.width(), source_h),
          QRect(designed.x(), output_y, designed.width(), output_h)};
}

}  // namespace wellvue
