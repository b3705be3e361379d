#include "app/main_window/main_form.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

#include "app/main_window/colour_scheme.h"
#include "app/main_window/layout_rules.h"
#include "form_fixture.h"

namespace wellvue {
namespace {

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

// --- Design ------------------------------------------------------------------------------------

TEST(MainFormDesign, EveryControlCarriesItsName) {
  FormFixture f(true, 1080, false);
  const char* names[] = {"Panel1",
                         "Label2",
                         "Label5",
                         "StatusBar",
                         "Panel4",
                         "RadioGroup_xy",
                         "RadioGroup_contraste",
                         "Label6",
                         "Image1",
                         "Panel3",
                         "Panel10",
                         "Panel_choix_cam",
                         "Panel_start_capture",
                         "Panel_stop_capture",
                         "Panel_visionner",
                         "Panel_open_com",
                         "Panel_BT_calibration_M",
                         "Panel_zero_margelle",
                         "Panel_zero_eau",
                         "Panel_help",
                         "Panel_exit",
                         "Image_choix_cam",
                         "Image_start_capture",
                         "Image_stop_capture",
                         "Image_open_com",
                         "Image_calibration",
                         "Image_margelle",
                         "Image_eau",
                         "Image_exit",
                         "Label1",
                         "Panel_nom_prefixe",
                         "Edit_nom_prefixe",
                         "CheckBox1",
                         "Panel_rep",
                         "Label7",
                         "Panel_nom_forage",
                         "Edit_nom_forage",
                         "cap",
                         "Panel6",
                         "Panel_margelle",
                         "Label8",
                         "ComboBox1",
                         "BitBtn1",
                         "BitBtn2",
                         "Panel_calibration",
                         "Label23",
                         "Label9",
                         "Panel_longueur",
                         "Edit_longueur",
                         "Label11",
                         "BitBtn_start",
                         "Label_tic",
                         "Label12",
                         "BitBtn_stop",
                         "Label24",
                         "Panel_circ",
                         "Edit_circ",
                         "Label20",
                         "BitBtn_manu",
                         "BitBtn_esc",
                         "Memo_help",
                         "ListBox_param"};
  for (const char* n : names) {
    const auto found = f.form->findChildren<QWidget*>(n);
    EXPECT_EQ(found.size(), 1) << n;
  }
}

TEST(MainFormDesign, InitialTextsAndStates) {
  FormFixture f(true, 1080, false);
  TFormMain& m = *f.form;
  EXPECT_EQ(m.size(), QSize(1321, 816));
  struct Text {
    QString actual;
    QString expected;
  } texts[] = {
      {m.Label2->text(), "0.00 m"},
      {m.Label5->text(), "pas de COM"},
      {m.Label1->text(), u("nom du fichier vidéo  (*.avi)")},
      {m.CheckBox1->text(), "plus la date"},
      {m.Panel_rep->caption(), u("Choix répertoire vidéo")},
      {m.Label7->text(), ".. cm"},
      {m.Edit_nom_prefixe->text(), "CXapture"},
      {m.Edit_nom_forage->text(), "forage"},
      {m.Edit_longueur->text(), "5"},
      {m.Edit_circ->text(), "405"},
      {m.ComboBox1->currentText(), u("départ à .. cm")},
      {m.Panel_choix_cam->caption(), u("           Choix caméra")},
      {m.Panel_start_capture->caption(), "           Start capture ?"},
      {m.Panel_stop_capture->caption(), "           Stop capture"},
      {m.Panel_visionner->caption(), u(" Voir la dernière vidéo")},
      {m.Panel_open_com->caption(), "         Port COM RS232"},
      {m.Panel_BT_calibration_M->caption(), "      Calibration"},
      {m.Panel_zero_margelle->caption(), "      ZERO margelle"},
      {m.Panel_zero_eau->caption(), "      ZERO eau"},
      {m.Panel_help->caption(), "?"},
      {m.Panel_exit->caption(), "            EXIT   "},
      {m.Panel_stop_capture->toolTip(), "   Stop capture   "},
      {m.Panel_BT_calibration_M->toolTip(), "  Calibration   "},
      {m.Panel_zero_margelle->toolTip(), "  ZERO margelle   "},
      {m.Panel_zero_eau->toolTip(), "   ZERO eau   "},
      {m.Panel_visionner->toolTip(), "Visionner"},
      {m.RadioGroup_xy->toolTip(), "\n 4:3  \n\n 3:2  \n\n16:9  \n\n 1:1  \n"},
      {m.RadioGroup_contraste->title(), "contraste"},
      {m.aspect_text(), "4:3"},
      {m.windowTitle(), u("W e l l v u e  v1.4   Arduino         répertoire vidéo : ")},
  };
  for (const Text& t : texts) EXPECT_EQ(t.actual, t.expected);
  EXPECT_TRUE(m.Label6->text().endsWith("v1.0"));
  EXPECT_EQ(m.Label6->text().count('\n'), 2);
  EXPECT_TRUE(m.CheckBox1->isChecked());
  EXPECT_EQ(m.contraste_items->checkedId(), 0);
  EXPECT_FALSE(m.BitBtn_stop->isEnabled());
  for (QWidget* w :
       {static_cast<QWidget*>(m.Panel_margelle), static_cast<QWidget*>(m.Panel_calibration),
        static_cast<QWidget*>(m.Memo_help), static_cast<QWidget*>(m.Panel6), static_cast<QWidget*>(m.ListBox_param)})
    EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
  // Enabled and disabled as designed.
  for (ImageButton* b : {m.Panel_choix_cam, m.Panel_open_com, m.Panel_BT_calibration_M, m.Panel_help, m.Panel_exit})
    EXPECT_TRUE(b->is_enabled_button()) << b->objectName().toStdString();
  for (ImageButton* b :
       {m.Panel_start_capture, m.Panel_stop_capture, m.Panel_visionner, m.Panel_zero_margelle, m.Panel_zero_eau})
    EXPECT_FALSE(b->is_enabled_button()) << b->objectName().toStdString();
  // The configuration record starts without capture; the engine has the window's settings.
  ASSERT_NE(m.config(), nullptr);
  EXPECT_FALSE(m.config()->WantCapture);
  TVideoCapture& e = m.engine();
  EXPECT_TRUE(e.WantCapture());
  EXPECT_TRUE(e.WantPreview());
  EXPECT_FALSE(e.WantAudio());
  EXPECT_TRUE(e.UseTempFile());
  EXPECT_EQ(e.TempCaptureFileName(), "captemp.avi");
  EXPECT_EQ(e.CaptureFileName(), "capture.avi");
  EXPECT_TRUE(e.UseTimeLimit());
  EXPECT_EQ(e.TimeLimit(), 30);
  EXPECT_EQ(e.FrameRate(), 25);
  // The status text starts right of the designed video area.
  EXPECT_EQ(m.Label5->x(), 152 + (1321 - 152 - 233));
}

// --- Start-up ----------------------------------------------------------------------------------

TEST(MainFormStart, TestPatternCameraLetsTheStationStart) {
  FormFixture f(true);
  EXPECT_TRUE(f.prompter.texts().empty());
  EXPECT_TRUE(f.quits.empty());
  EXPECT_EQ(f.form->focusWidget(), f.form->Panel_choix_cam);
}

TEST(MainFormStart, PreviewShowsTheTestPictureInTheView) {
  FormFixture f(true);
  TFormMain& m = *f.form;
  int rendered = 0;
  bool on_gui_thread = true;
  const Qt::HANDLE gui = QThread::currentThreadId();
  m.engine().OnFrameRendered = [&](TVideoCapture&) {
    ++rendered;
    on_gui_thread = on_gui_thread && QThread::currentThreadId() == gui;
  };
  m.engine().FillConfig(m.config());
  m.config()->VideoSourceName = "Mire de test";
  m.engine().ApplyConfig(m.config());
  ASSERT_TRUE(m.engine().Previewing()) << (f.prompter.texts().empty() ? "" : f.prompter.texts().front());
  process_until([&] { return m.cap->pictures_shown() >= 3 && rendered >= 3; });
  EXPECT_GE(m.cap->pictures_shown(), 3u);
  EXPECT_GE(rendered, 3);
  EXPECT_TRUE(on_gui_thread);
  // The test picture is coloured: the view's own pixels are not the grey background.
  const QImage shot = m.cap->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  int coloured = 0;
  for (int x = 5; x < shot.width(); x += shot.width() / 16)
    if (shot.pixelColor(x, shot.height() / 4) != QColor(128, 128, 128)) ++coloured;
  EXPECT_GE(coloured, 8);
  // The pipeline gives the source's own picture (4:3, no bars added) and the view stretches it
  // over its whole area, also after a resize.
  EXPECT_EQ(m.cap->picture().width() * 3, m.cap->picture().height() * 4);
  EXPECT_EQ(m.cap->picture_rect(), m.cap->rect());
  m.resize(1500, 900);
  EXPECT_EQ(m.cap->picture_rect(), m.cap->rect());
  m.engine().StopPreview();
}

// --- Dispatch ----------------------------------------------------------------------------------

TEST(MainFormDispatch, DisabledButtonsOnlyMoveAndComeBack) {
  FormFixture f;
  TFormMain& m = *f.form;
  m.config()->WantCapture = true;
  for (ImageButton* b : m.image_buttons()) {
    SCOPED_TRACE(b->objectName().toStdString());
    m.disable_button(b);
    const QPoint home = b->pos();
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(b->pos(), home + QPoint(2, 2));
    EXPECT_EQ(b->inner_bevel(), ImageButton::InnerBevel::Space);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(b->pos(), home);
    EXPECT_EQ(b->inner_bevel(), ImageButton::InnerBevel::None);
  }
  EXPECT_TRUE(f.prompter.texts().empty());
  EXPECT_EQ(f.link_shown + f.water_zeros + f.ends.size(), 0u);
  EXPECT_TRUE(m.Panel_calibration->isHidden());
  EXPECT_TRUE(m.Panel_margelle->isHidden());
}

TEST(MainFormDispatch, GatedRowsDoNothingWithoutCaptureInTheRecord) {
  FormFixture f;
  TFormMain& m = *f.form;
  ASSERT_FALSE(m.config()->WantCapture);
  for (ImageButton* b : {m.Panel_zero_margelle, m.Panel_zero_eau, m.Panel_start_capture, m.Panel_stop_capture}) {
    SCOPED_TRACE(b->objectName().toStdString());
    m.enable_button(b);
    const QPoint home = b->pos();
    m.traite_down(b);
    // Pressed, and left for the mouse-up to release.
    EXPECT_EQ(b->pos(), home + QPoint(2, 2));
    m.Panel_BT_MMouseUp(b);
    EXPECT_EQ(b->pos(), home);
  }
  EXPECT_TRUE(m.Panel_margelle->isHidden());
  EXPECT_EQ(f.water_zeros, 0);
  EXPECT_TRUE(f.prompter.texts().empty());
  // The button states did not move.
  for (ImageButton* b : {m.Panel_zero_margelle, m.Panel_zero_eau, m.Panel_start_capture, m.Panel_stop_capture})
    EXPECT_TRUE(b->is_enabled_button());
}

struct RowCase {
  const char* panel;
  bool released_by_dispatch;
  // What the row did, checked on the form and fixture.
  std::function<void(FormFixture&)> check;
};

class DispatchRow : public ::testing::TestWithParam<RowCase> {};

TEST_P(DispatchRow, PressDoesTheRowAndLeavesTheButtonAsTabled) {
  const RowCase& c = GetParam();
  FormFixture f;
  TFormMain& m = *f.form;
  m.config()->WantCapture = true;
  for (ImageButton* b : m.image_buttons()) m.enable_button(b);
  auto* b = m.findChild<ImageButton*>(c.panel);
  ASSERT_NE(b, nullptr);
  const QPoint home = b->pos();
  m.traite_down(b);
  EXPECT_EQ(b->pos(), c.released_by_dispatch ? home : home + QPoint(2, 2));
  c.check(f);
  m.Panel_BT_MMouseUp(b);
  EXPECT_EQ(b->pos(), home);
}

bool enabled(FormFixture& f, const char* name) { return f.form->findChild<ImageButton*>(name)->is_enabled_button(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, DispatchRow,
    ::testing::Values(
        RowCase{"Panel_BT_calibration_M", false,
                [](FormFixture& f) {
                  EXPECT_TRUE(f.form->Panel_calibration->isVisible());
                  f.form->Panel_BT_calibration_M->release();
                  f.form->traite_down(f.form->Panel_BT_calibration_M);  // a second press hides it again
                  EXPECT_FALSE(f.form->Panel_calibration->isVisible());
                }},
        RowCase{"Panel_zero_margelle", false, [](FormFixture& f) { EXPECT_TRUE(f.form->Panel_margelle->isVisible()); }},
        RowCase{"Panel_zero_eau", true, [](FormFixture& f) { EXPECT_EQ(f.water_zeros, 1); }},
        RowCase{"Panel_open_com", false, [](FormFixture& f) { EXPECT_EQ(f.link_shown, 1); }},
        // The recording itself does not start here, so the button states stay.
        RowCase{"Panel_start_capture", true,
                [](FormFixture& f) {
                  EXPECT_TRUE(enabled(f, "Panel_start_capture"));
                  EXPECT_TRUE(enabled(f, "Panel_BT_calibration_M"));
                }},
        RowCase{"Panel_stop_capture", true,
                [](FormFixture& f) {
                  EXPECT_FALSE(enabled(f, "Panel_stop_capture"));
                  EXPECT_TRUE(enabled(f, "Panel_start_capture"));
                  EXPECT_TRUE(enabled(f, "Panel_BT_calibration_M"));
                  EXPECT_TRUE(enabled(f, "Panel_zero_margelle"));
                  EXPECT_TRUE(enabled(f, "Panel_zero_eau"));
                }},
        RowCase{"Panel_help", false, [](FormFixture& f) { EXPECT_TRUE(f.prompter.texts().empty()); }},
        RowCase{"Panel_visionner", false, [](FormFixture& f) { EXPECT_TRUE(f.prompter.texts().empty()); }}));

TEST(MainFormDispatch, CameraChoiceEnablesStartWhateverTheDialogSays) {
  FormFixture f;
  TFormMain& m = *f.form;
  // The dialog is modal: close it with Cancel as soon as it shows.
  bool dialog_seen = false;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      dialog_seen = true;
      if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
    }
  });
  closer.start(50);
  const QPoint home = m.Panel_choix_cam->pos();
  m.traite_down(m.Panel_choix_cam);
  closer.stop();
  EXPECT_TRUE(dialog_seen);
  EXPECT_EQ(m.Panel_choix_cam->pos(), home);
  EXPECT_TRUE(m.Panel_start_capture->is_enabled_button());
  EXPECT_EQ(m.focusWidget(), m.Panel_start_capture);
  EXPECT_FALSE(m.engine().Previewing());  // cancelled: the engine keeps its settings
}

TEST(MainFormButtons, HelpWithoutTheManualSaysWhereItWasLooked) {
  FormFixture f;
  const std::string path = QCoreApplication::applicationDirPath().toStdString() + "/Manuel Wellvue.pdf";
  ASSERT_FALSE(QFileInfo::exists(QString::fromStdString(path)));
  QTest::mouseClick(f.form->Panel_help, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(f.prompter.texts(), std::vector<std::string>{"Fichier " + path + " introuvable"});
  EXPECT_FALSE(f.form->Panel_help->is_pressed());
}

TEST(MainFormDispatch, QuitAnsweredNoKeepsRunningAndOffersStart) {
  FormFixture f;
  TFormMain& m = *f.form;
  // Even during a recording: start disabled, stop enabled.
  m.enable_button(m.Panel_stop_capture);
  f.prompter.add_answer(false);
  const QPoint home = m.Panel_exit->pos();
  m.traite_down(m.Panel_exit);
  ASSERT_EQ(f.prompter.texts(), std::vector<std::string>{" Quitter ? "});
  EXPECT_EQ(f.prompter.shown()[0].kind, ScriptedPrompter::Kind::YesNo);
  EXPECT_TRUE(f.ends.empty());
  EXPECT_EQ(f.saves, 0);
  EXPECT_TRUE(m.isVisible());
  EXPECT_EQ(m.Panel_exit->pos(), home);
  EXPECT_TRUE(m.Panel_start_capture->is_enabled_button());
  EXPECT_EQ(m.focusWidget(), m.Panel_start_capture);
}

TEST(MainFormDispatch, QuitAnsweredYesClosesWritesTheSettingsAndEnds) {
  FormFixture f;
  TFormMain& m = *f.form;
  f.prompter.add_answer(true);
  m.traite_down(m.Panel_exit);
  EXPECT_EQ(f.saves, 1);
  EXPECT_EQ(f.ends, std::vector<int>{0});
  EXPECT_FALSE(m.isVisible());
}

// Everything a press can change, to compare an icon's press with its panel's.
struct Snapshot {
  std::vector<QPoint> positions;
  std::vector<bool> enabled;
  bool calibration, margelle;
  int link, water;
  std::vector<std::string> texts;
  bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(FormFixture& f) {
  Snapshot s{{},
             {},
             f.form->Panel_calibration->isVisible(),
             f.form->Panel_margelle->isVisible(),
             f.link_shown,
             f.water_zeros,
             f.prompter.texts()};
  for (ImageButton* b : f.form->image_buttons()) {
    s.positions.push_back(b->pos());
    s.enabled.push_back(b->is_enabled_button());
  }
  return s;
}

class IconForwarding : public ::testing::TestWithParam<const char*> {};

TEST_P(IconForwarding, IconPressIsPanelPress) {
  // The camera choice opens its dialog: cancel it as soon as it shows.
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
  });
  closer.start(50);
  auto run = [](bool on_icon, int clicks) {
    auto f = std::make_unique<FormFixture>();
    TFormMain& m = *f->form;
    m.config()->WantCapture = true;
    for (ImageButton* b : m.image_buttons()) m.enable_button(b);
    ButtonIcon* icon = m.findChild<ButtonIcon*>(GetParam());
    EXPECT_NE(icon, nullptr);
    std::vector<Snapshot> after;
    for (int i = 0; i < clicks; ++i) {
      if (on_icon) {
        QTest::mousePress(icon, Qt::LeftButton, {}, QPoint(5, 5));
        after.push_back(snapshot(*f));
        QTest::mouseRelease(icon, Qt::LeftButton, {}, QPoint(5, 5));
      } else {
        QTest::mousePress(icon->button(), Qt::LeftButton, {}, QPoint(190, 5));
        after.push_back(snapshot(*f));
        QTest::mouseRelease(icon->button(), Qt::LeftButton, {}, QPoint(190, 5));
      }
      after.push_back(snapshot(*f));
    }
    return after;
  };
  const auto by_icon = run(true, 3);
  const auto by_panel = run(false, 3);
  ASSERT_EQ(by_icon.size(), by_panel.size());
  for (std::size_t i = 0; i < by_icon.size(); ++i) EXPECT_TRUE(by_icon[i] == by_panel[i]) << "step " << i;
  // After the clicks every button is back where it was designed.
  FormFixture fresh;
  EXPECT_EQ(by_icon.back().positions, snapshot(fresh).positions);
}

INSTANTIATE_TEST_SUITE_P(EightIcons, IconForwarding,
                         ::testing::Values("Image_calibration", "Image_margelle", "Image_eau", "Image_open_com",
                                           "Image_start_capture", "Image_stop_capture", "Image_exit",
                                           "Image_choix_cam"));

}  // namespace
}  // namespace wellvue
