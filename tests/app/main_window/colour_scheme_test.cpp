// Every control listed for a colour of a contrast scheme shows exactly that colour, and the
// scheme decides which buttons it brings to life.
#include <gtest/gtest.h>

#include "app/main_window/colour_scheme.h"
#include "form_fixture.h"

namespace wellvue {
namespace {

struct SchemeCase {
  const char* name;
  int index;
  QColor background, text, face, field;
};

class Scheme : public ::testing::TestWithParam<SchemeCase> {};

TEST_P(Scheme, EveryListedControlTakesItsColour) {
  const SchemeCase& c = GetParam();
  FormFixture f;
  TFormMain& m = *f.form;
  m.contraste_items->button(c.index)->setChecked(true);
  m.choix_couleur();
  EXPECT_EQ(m.contrast_index(), c.index);
  for (QWidget* w : {m.Panel1, m.Panel3, m.Panel4, m.Panel10, m.Panel_calibration, m.Panel_margelle, m.StatusBar})
    EXPECT_EQ(w->palette().color(QPalette::Window), c.background) << w->objectName().toStdString();
  for (QWidget* w : {static_cast<QWidget*>(m.RadioGroup_xy), static_cast<QWidget*>(m.RadioGroup_contraste),
                     static_cast<QWidget*>(m.Label6), static_cast<QWidget*>(m.Label2), static_cast<QWidget*>(m.Label5),
                     static_cast<QWidget*>(m.CheckBox1), static_cast<QWidget*>(m.StatusBar)})
    EXPECT_EQ(w->palette().color(QPalette::WindowText), c.text) << w->objectName().toStdString();
  for (QLineEdit* e : {m.Edit_nom_prefixe, m.Edit_nom_forage}) {
    EXPECT_EQ(e->palette().color(QPalette::Text), c.text) << e->objectName().toStdString();
    EXPECT_EQ(e->palette().color(QPalette::Base), c.field) << e->objectName().toStdString();
  }
  for (QFrame* fr : {m.Panel_nom_prefixe, m.Panel_nom_forage})
    EXPECT_EQ(fr->palette().color(QPalette::Window), c.field) << fr->objectName().toStdString();
  // The always-enabled buttons take the text colour, which enables them ("Voir la dernière vidéo"
  // included, disabled in the form).
  for (ImageButton* b : {m.Panel_choix_cam, m.Panel_rep, m.Panel_open_com, m.Panel_BT_calibration_M, m.Panel_help,
                         m.Panel_visionner, m.Panel_exit}) {
    EXPECT_EQ(b->font_colour(), c.text) << b->objectName().toStdString();
    EXPECT_TRUE(b->is_enabled_button()) << b->objectName().toStdString();
  }
  for (ImageButton* b :
       {m.Panel_BT_calibration_M, m.Panel_zero_margelle, m.Panel_zero_eau, m.Panel_open_com, m.Panel_start_capture,
        m.Panel_stop_capture, m.Panel_choix_cam, m.Panel_exit, m.Panel_help, m.Panel_visionner, m.Panel_rep})
    EXPECT_EQ(b->face_colour(), c.face) << b->objectName().toStdString();
  // The four recording-state buttons stay disabled as designed.
  for (ImageButton* b : {m.Panel_start_capture, m.Panel_stop_capture, m.Panel_zero_margelle, m.Panel_zero_eau})
    EXPECT_FALSE(b->is_enabled_button()) << b->objectName().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Contrast, Scheme,
                         ::testing::Values(SchemeCase{"normal", 0, QColor(49, 141, 168), QColor(0, 0, 0),
                                                      QColor(99, 191, 218), QColor(100, 222, 216)},
                                           SchemeCase{"clair", 1, QColor(255, 255, 255), QColor(0, 0, 128),
                                                      QColor(220, 220, 250), QColor(255, 255, 255)},
                                           SchemeCase{"sombre", 2, QColor(0, 0, 0), QColor(255, 255, 255),
                                                      QColor(0, 0, 0), QColor(0, 0, 0)}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wellvue
