#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>

#include "app/main_window/colour_scheme.h"
#include "app/main_window/fit_label.h"
#include "app/main_window/layout_rules.h"
#include "form_fixture.h"

namespace wellvue {
namespace {

struct LayoutCase {
  int aspect_item;  // 0 "4:3", 1 "3:2", 2 "16:9", 3 "1:1"
  int screen_height;
  QSize window;
  const char* aspect_after;
};

class LayoutRule : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutRule, SidePanelsFrameTheVideoAtItsAspect) {
  const LayoutCase c = GetParam();
  FormFixture f(true, c.screen_height);
  TFormMain& m = *f.form;
  m.resize(c.window);
  m.xy_items->button(c.aspect_item)->setChecked(true);
  QCoreApplication::processEvents();
  EXPECT_EQ(m.aspect_text(), c.aspect_after);

  const int video_height = m.cap->height();
  EXPECT_EQ(video_height, c.window.height() - 50 - 19);
  const SideWidths s = side_widths(m.frameGeometry().width(), video_height, aspect_from_text(c.aspect_after));
  EXPECT_EQ(m.Panel3->width(), s.right);
  // The left panel never gets less than its controls need.
  EXPECT_EQ(m.Panel4->width(), std::max(s.left, m.least_left_width()));
  EXPECT_GE(m.Panel3->width(), 230);
  // The capture control fills what lies between the panels.
  EXPECT_EQ(m.cap->x(), m.Panel4->width());
  EXPECT_EQ(m.cap->x() + m.cap->width(), m.Panel3->x());
  EXPECT_EQ(m.Panel3->x() + m.Panel3->width(), m.width());
  // Centred pieces.
  EXPECT_EQ(m.Panel10->x(), (m.Panel3->width() - 206) / 2);
  // A column taller than the panel is compacted to its height, never cut.
  EXPECT_EQ(m.Panel10->height(), std::min(692, m.Panel3->height()));
  EXPECT_EQ(m.Panel10->y(), (m.Panel3->height() - m.Panel10->height()) / 2);
  // Centred in the window's outer width, as the side panels are computed.
  const int outer = m.frameGeometry().width();
  EXPECT_EQ(m.Panel_margelle->x(), (outer - m.Panel_margelle->width()) / 2);
  EXPECT_EQ(m.Panel6->x(), (outer - m.Panel6->width()) / 2);
  EXPECT_EQ(m.Panel_calibration->x(), (m.cap->width() - m.Panel_calibration->width()) / 2 + m.Panel4->width());
  EXPECT_EQ(m.Memo_help->x(), (m.cap->width() - m.Memo_help->width()) / 2 + m.Panel4->width());
  EXPECT_EQ(m.focusWidget(), m.Panel_choix_cam);
}

INSTANTIATE_TEST_SUITE_P(Cases, LayoutRule,
                         ::testing::Values(
                             // The four aspects on a wide window: equal sides.
                             LayoutCase{0, 1080, {1900, 900}, "4:3"}, LayoutCase{1, 1080, {1900, 900}, "3:2"},
                             LayoutCase{2, 1080, {1900, 900}, "16:9"}, LayoutCase{3, 1080, {1900, 900}, "1:1"},
                             // The designed size: the right panel keeps 230 and the left takes the rest.
                             LayoutCase{0, 1080, {1321, 816}, "4:3"}, LayoutCase{1, 1080, {1321, 816}, "3:2"},
                             // A screen under 900 pixels high has no 16:9: it ends as 1:1.
                             LayoutCase{2, 768, {1321, 816}, "1:1"}, LayoutCase{0, 768, {1321, 816}, "4:3"},
                             // A narrow window: the left panel keeps what its controls need, the video gives way.
                             LayoutCase{0, 1080, {700, 500}, "4:3"}, LayoutCase{3, 1080, {800, 700}, "1:1"}));

TEST(LayoutRuleSmallScreen, ButtonsMoveWhenTheScreenIsLow) {
  FormFixture low(true, 768, false);
  FormFixture high(true, 1080, false);
  EXPECT_EQ(low.form->Panel_choix_cam->y(), 292);
  EXPECT_EQ(low.form->Panel_stop_capture->y(), low.form->Panel_start_capture->y() + 42);
  EXPECT_EQ(low.form->Panel_help->pos(), QPoint(144, 499));
  EXPECT_NE(high.form->Panel_choix_cam->y(), 292);
  EXPECT_NE(high.form->Panel_help->pos(), QPoint(144, 499));
  // The focus holder stays hidden under the camera button.
  EXPECT_EQ(low.form->Button2->y(), low.form->Panel_choix_cam->y() + 2);
}

struct CentreCase {
  const char* edit;
  QString text;
  int frame_width_offset;  // the edit's width relative to its frame
};

class CentringOnKeyUp : public ::testing::TestWithParam<CentreCase> {};

TEST_P(CentringOnKeyUp, TextIsCentredInItsFrame) {
  const CentreCase c = GetParam();
  FormFixture f;
  TFormMain& m = *f.form;
  auto* edit = m.findChild<QLineEdit*>(c.edit);
  ASSERT_NE(edit, nullptr);
  edit->setText(c.text);
  QTest::keyClick(edit, Qt::Key_End);
  const int frame_width = edit->parentWidget()->width();
  const int width = (std::string(c.edit) == "Edit_nom_forage") ? edit->width() : frame_width + c.frame_width_offset;
  EXPECT_EQ(edit->width(), width);
  EXPECT_EQ(edit->x(), centred_edit_left(width, static_cast<int>(c.text.size())));
  // Enter sends the focus to "Choix caméra".
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(m.focusWidget(), m.Panel_choix_cam);
}

INSTANTIATE_TEST_SUITE_P(Edits, CentringOnKeyUp,
                         ::testing::Values(CentreCase{"Edit_nom_prefixe", "CXapture", -45},
                                           CentreCase{"Edit_nom_prefixe", "", -45}, CentreCase{"Edit_circ", "405", 0},
                                           CentreCase{"Edit_longueur", "12", 0},
                                           // Too long to centre: the text starts at 3.
                                           CentreCase{"Edit_circ", "404.56789", 0},
                                           CentreCase{"Edit_nom_prefixe", "un nom de fichier bien trop long", -45},
                                           CentreCase{"Edit_nom_forage", "puits 3", 0}));

TEST(FramedFields, ClickOnAFrameFocusesItsEdit) {
  FormFixture f;
  TFormMain& m = *f.form;
  m.Panel_calibration->show();
  struct {
    QFrame* frame;
    QLineEdit* edit;
  } cases[] = {{m.Panel_longueur, m.Edit_longueur},
               {m.Panel_nom_prefixe, m.Edit_nom_prefixe},
               {m.Panel_circ, m.Edit_circ},
               {m.Panel_nom_forage, m.Edit_nom_forage}};
  for (auto& c : cases) {
    m.Panel_choix_cam->setFocus();
    QTest::mouseClick(c.frame, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(m.focusWidget(), c.edit) << c.frame->objectName().toStdString();
  }
}

TEST(Caption, FollowsTheVideoFolder) {
  FormFixture f;
  f.form->set_video_folder("/srv/puits/_Captures");
  EXPECT_EQ(f.form->windowTitle(),
            QString::fromUtf8("W e l l v u e  v1.4   Arduino         répertoire vidéo : /srv/puits/_Captures"));
}

TEST(ColourSchemes, AreAPureFunctionOfTheIndex) {
  FormFixture f;
  TFormMain& m = *f.form;
  auto look = [&m] {
    std::vector<QColor> v{m.Panel1->palette().color(QPalette::Window), m.Label2->palette().color(QPalette::WindowText),
                          m.Panel_choix_cam->font_colour(), m.Panel_choix_cam->face_colour(),
                          m.Edit_nom_prefixe->palette().color(QPalette::Base)};
    return v;
  };
  m.contraste_items->button(0)->setChecked(true);
  m.choix_couleur();
  const auto normal = look();
  const ColourScheme s = colour_scheme(0);
  EXPECT_EQ(normal, (std::vector<QColor>{s.background, s.text, s.text, s.button_face, s.field}));
  m.contraste_items->button(1)->setChecked(true);
  EXPECT_EQ(m.contrast_index(), 1);
  EXPECT_NE(look(), normal);
  m.contraste_items->button(0)->setChecked(true);
  EXPECT_EQ(look(), normal);
  // "sombre", and any index beyond it, is white on black.
  EXPECT_EQ(colour_scheme(7).background, colour_scheme(2).background);
  EXPECT_EQ(colour_scheme(2).text, QColor(255, 255, 255));
}

TEST(ColourSchemes, RecordingStatesSurviveAndCalibrationComesBack) {
  FormFixture f;
  TFormMain& m = *f.form;
  // As during a recording.
  m.disable_button(m.Panel_start_capture);
  m.enable_button(m.Panel_stop_capture);
  m.disable_button(m.Panel_BT_calibration_M);
  m.contraste_items->button(2)->setChecked(true);
  EXPECT_TRUE(m.Panel_BT_calibration_M->is_enabled_button());
  EXPECT_FALSE(m.Panel_start_capture->is_enabled_button());
  EXPECT_TRUE(m.Panel_stop_capture->is_enabled_button());
  EXPECT_TRUE(m.Panel_visionner->is_enabled_button());
  // The enabled stop button is readable on the black faces of "sombre"; the disabled start keeps
  // the disabled colour.
  EXPECT_EQ(m.Panel_stop_capture->font_colour(), QColor(255, 255, 255));
  EXPECT_EQ(m.Panel_start_capture->font_colour(), ImageButton::disabled_colour());
  // Enabling copies the scheme's text colour.
  m.enable_button(m.Panel_start_capture);
  EXPECT_EQ(m.Panel_start_capture->font_colour(), QColor(255, 255, 255));
  // Back to "normal": black on the light faces again, states unchanged.
  m.contraste_items->button(0)->setChecked(true);
  EXPECT_EQ(m.Panel_stop_capture->font_colour(), QColor(0, 0, 0));
  EXPECT_TRUE(m.Panel_start_capture->is_enabled_button());
  EXPECT_FALSE(m.Panel_zero_eau->is_enabled_button());
}

}  // namespace
}  // namespace wellvue

namespace wellvue {
namespace {

// The status text stays whole within the window at its designed size, whatever it says.
TEST(BottomBar, StatusTextsStayWhole) {
  FormFixture f;
  TFormMain& m = *f.form;
  m.resize(TFormMain::kDesignWidth, TFormMain::kDesignHeight);
  QCoreApplication::processEvents();
  auto* status = qobject_cast<FitLabel*>(m.Label5);
  ASSERT_NE(status, nullptr);
  const QString texts[] = {QStringLiteral("pas de COM"), QStringLiteral(" 0 mn 10.3 s"),
                           QStringLiteral(" 59 mn 59.9 s"), QStringLiteral(" 125 mn 59.9 s"),
                           QStringLiteral("stopp\u00e9")};
  for (const QString& t : texts) {
    SCOPED_TRACE(t.toStdString());
    m.Label5->setText(t);
    EXPECT_LE(m.Label5->geometry().right(), m.Panel1->width() - 1);
    EXPECT_GE(m.Label5->x(), m.Label2->geometry().right());
    QFont font = m.Label5->font();
    font.setPixelSize(status->fitted_pixel_size());
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(t), m.Label5->contentsRect().width());
    EXPECT_GE(status->fitted_pixel_size(), 20);
  }
}

}  // namespace
}  // namespace wellvue

namespace wellvue {
namespace {

// Every screen a field laptop or a desk may have, with its panel taken off the available area.
struct ScreenCase {
  const char* name;
  QRect available;
};

class MainWindowScreen : public ::testing::TestWithParam<ScreenCase> {};

// The whole window on the screen; for every aspect, each control of the three panels whole inside
// it, the left panel's texts uncut, and the picture at the aspect the panel shows.
TEST_P(MainWindowScreen, OpensWholeAndNoAspectHidesAControl) {
  const ScreenCase& c = GetParam();
  FormFixture f(true, c.available.height(), true, c.available);
  TFormMain& m = *f.form;
  EXPECT_TRUE(c.available.contains(m.frameGeometry())) << c.name;
  // Scaled, never stretched: the designed proportions within a pixel.
  EXPECT_NEAR(m.width() * 816.0 / m.height(), 1321.0, 2.5) << m.width() << "x" << m.height();
  for (int item = 0; item < 4; ++item) {
    m.xy_items->button(item)->setChecked(true);
    QCoreApplication::processEvents();
    const std::string where = std::string(c.name) + " " + m.aspect_text().toStdString();
    for (QFrame* panel : {m.Panel4, m.Panel10, m.Panel1, m.StatusBar})
      for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!w->isVisibleTo(&m)) continue;
        const QRect in_window(w->mapTo(&m, QPoint(0, 0)), w->size());
        EXPECT_TRUE(m.rect().contains(in_window)) << where << ": " << w->objectName().toStdString();
      }
    // The photo and observation buttons under the logo: shown, whole, at a gloved finger's size,
    // and over no other control of the panel.
    for (ImageButton* b : {m.Panel_photo, m.Panel_observation}) {
      EXPECT_TRUE(b->isVisibleTo(&m)) << where;
      EXPECT_TRUE(m.Panel4->rect().contains(b->geometry())) << where << ": " << b->objectName().toStdString();
      EXPECT_GE(b->height(), 40) << where;
      EXPECT_GE(b->width(), 80) << where;
      for (QWidget* w : m.Panel4->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w == b || !w->isVisibleTo(&m)) continue;
        EXPECT_FALSE(w->geometry().intersects(b->geometry()))
            << where << ": " << b->objectName().toStdString() << " over " << w->objectName().toStdString();
      }
    }
    for (QButtonGroup* g : {m.xy_items, m.contraste_items})
      for (QAbstractButton* b : g->buttons()) {
        const QRect text(b->mapTo(m.Panel4, QPoint(0, 0)), b->sizeHint());
        EXPECT_TRUE(m.Panel4->rect().contains(text)) << where << ": " << b->text().toStdString();
      }
    const Aspect a = aspect_from_text(m.aspect_text().toStdString());
    const QRect p = m.cap->picture_rect();
    EXPECT_TRUE(m.cap->rect().contains(p)) << where;
    EXPECT_NEAR(p.width() * double(a.h) / (p.height() * a.w), 1.0, 0.01) << where;
  }
}

INSTANTIATE_TEST_SUITE_P(Screens, MainWindowScreen,
                         ::testing::Values(ScreenCase{"laptop_1366x768", QRect(0, 0, 1366, 740)},
                                           ScreenCase{"hd_1280x720", QRect(0, 27, 1280, 693)},
                                           ScreenCase{"hd_plus_1600x900", QRect(0, 0, 1600, 870)},
                                           ScreenCase{"full_hd_1920x1080", QRect(0, 0, 1920, 1040)}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wellvue
