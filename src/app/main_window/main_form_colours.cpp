// The contrast schemes applied to the main window's controls.
#include "app/main_window/colour_scheme.h"
#include "app/main_window/main_form.h"

namespace wellvue {

namespace {

void set_role(QWidget* w, QPalette::ColorRole role, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(role, c);
  w->setPalette(p);
}

}  // namespace

void TFormMain::RadioGroup_contrasteClick() { choix_couleur(); }

void TFormMain::choix_couleur() {
  contrast_index_ = contraste_items->checkedId();
  const ColourScheme s = colour_scheme(contrast_index_);

  for (QWidget* w : {Panel1, Panel3, Panel4, Panel10, Panel_calibration, Panel_margelle, StatusBar})
    set_role(w, QPalette::Window, s.background);

  for (QWidget* w : {static_cast<QWidget*>(RadioGroup_xy), static_cast<QWidget*>(RadioGroup_contraste),
                     static_cast<QWidget*>(Label6), static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label5),
                     static_cast<QWidget*>(CheckBox1), static_cast<QWidget*>(StatusBar)})
    set_role(w, QPalette::WindowText, s.text);
  for (QWidget* g : {RadioGroup_xy, RadioGroup_contraste})
    for (QWidget* item : g->findChildren<QWidget*>()) set_role(item, QPalette::WindowText, s.text);
  for (QLineEdit* e : {Edit_nom_prefixe, Edit_nom_forage}) set_role(e, QPalette::Text, s.text);
  for (ImageButton* b :
       {Panel_choix_cam, Panel_rep, Panel_open_com, Panel_BT_calibration_M, Panel_help, Panel_visionner, Panel_exit})
    b->set_font_colour(s.text);

  for (ImageButton* b : {Panel_BT_calibration_M, Panel_zero_margelle, Panel_zero_eau, Panel_open_com,
                         Panel_start_capture, Panel_stop_capture, Panel_choix_cam, Panel_exit, Panel_help,
                         Panel_visionner, Panel_rep, Panel_photo, Panel_observation, Panel_revoir})
    b->set_face_colour(s.button_face);

  // The buttons whose colour is their recording state keep that state; an enabled one takes the
  // new text colour, so that it stays readable on the new face ("sombre" has black faces).
  for (ImageButton* b : {Panel_start_capture, Panel_stop_capture, Panel_zero_margelle, Panel_zero_eau, Panel_photo,
                         Panel_observation, Panel_revoir})
    if (b->is_enabled_button()) b->set_font_colour(s.text);
  // Plain labels on the coloured panels (file name title, start depth, the overlays' texts) stay
  // readable on every background.
  for (QWidget* w : {Panel10, Panel_calibration, Panel_margelle}) set_role(w, QPalette::WindowText, s.text);

  for (QLineEdit* e : {Edit_nom_prefixe, Edit_nom_forage}) set_role(e, QPalette::Base, s.field);
  for (QFrame* f : {Panel_nom_prefixe, Panel_nom_forage}) set_role(f, QPalette::Window, s.field);
}

}  // namespace wellvue
