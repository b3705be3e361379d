// lire_param and sauve_param over the link window and a main window's named controls: defaults,
// the lookup edge cases, conversion errors part-way, the round trip and failed writes.
#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "app/link_window/settings_host.h"
#include "app/link_window/tform1.h"
#include "fake_main_window.h"
#include "util/conversion_error.h"
#include "util/scripted_prompter.h"

namespace wellvue {
namespace {

using testing::FakeMainWindow;
using testing::read_file;
using testing::write_file;

// A link window over a fake main window whose executable lives in `exe_dir`; no port is opened.
struct Station {
  explicit Station(const QString& exe_dir) : host(&main.window), form(&main.window, prompter, options(exe_dir)) {}
  LinkWindowOptions options(const QString& exe_dir) {
    LinkWindowOptions o;
    o.main_controls = main.controls();
    o.settings = &host;
    o.executable_path = QDir(exe_dir).filePath("wellvue");
    o.system_ports = [] { return std::vector<std::string>{}; };
    o.run_form_create = false;
    return o;
  }
  FakeMainWindow main;
  ScriptedPrompter prompter;
  PlainSettingsHost host;
  TForm1 form;
};

std::string qs(const QString& s) { return s.toStdString(); }

TEST(LireParam, NoFileGivesTheDefaultFileAndCreatesNothing) {
  QTemporaryDir dir;
  Station s(dir.path());
  s.form.lire_param();
  EXPECT_EQ(qs(s.main.Edit_nom_prefixe->text()), "CXapture");
  EXPECT_TRUE(s.main.CheckBox1->isChecked());
  EXPECT_EQ(s.host.temp_name, "captemp.avi");
  EXPECT_EQ(qs(s.main.Edit_circ->text()), "405");
  EXPECT_EQ(qs(s.form.design().Edit14->text()), "38");
  EXPECT_EQ(s.host.memory.video_compressor_name, "DV Video Encoder");
  EXPECT_EQ(s.host.folder, QDir(dir.path()).filePath("_Captures").toStdString());
  EXPECT_EQ(qs(s.main.window.windowTitle()), "W e l l v u e  v1.4   Arduino         répertoire vidéo : " +
                                                 QDir(dir.path()).filePath("_Captures").toStdString());
  EXPECT_EQ(qs(s.main.Panel_rep->toolTip()), "  " + s.host.folder + "  ");
  EXPECT_DOUBLE_EQ(s.form.link().state().metres_per_turn, 0.405);
  EXPECT_EQ(s.form.link().state().baud_index, 6);
  EXPECT_EQ(qs(s.main.Label7->text()), "0 cm");
  EXPECT_EQ(qs(s.main.ComboBox1->currentText()), "0 cm");
  EXPECT_EQ(s.main.ListBox_param->count(), 16);
  EXPECT_FALSE(QFileInfo::exists(QDir(dir.path()).filePath("wellvue.ini")));
}

TEST(LireParam, EmptyFileGivesTheMissingKeyDefaults) {
  QTemporaryDir dir;
  write_file(QDir(dir.path()).filePath("wellvue.ini"), "");
  Station s(dir.path());
  s.form.lire_param();
  EXPECT_EQ(qs(s.main.Edit_nom_prefixe->text()), "capture");
  EXPECT_FALSE(s.main.CheckBox1->isChecked());
  EXPECT_EQ(s.host.temp_name, "TMP.AVI");
  EXPECT_EQ(qs(s.main.Edit_circ->text()), "40.3");
  EXPECT_DOUBLE_EQ(s.form.link().state().metres_per_turn, 0.0403);
  EXPECT_EQ(qs(s.form.design().Edit14->text()), "45");
  EXPECT_EQ(s.form.link().fields().Edit14, "45");
  EXPECT_EQ(s.host.memory.video_compressor_name, "");
}

struct EdgeCase {
  const char* name;
  std::string file;
  std::function<void(Station&)> check;
};

class LireParamEdgeTest : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(LireParamEdgeTest, ReadsAsTheStationDoes) {
  QTemporaryDir dir;
  write_file(QDir(dir.path()).filePath("wellvue.ini"), GetParam().file);
  Station s(dir.path());
  s.form.lire_param();
  GetParam().check(s);
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, LireParamEdgeTest,
    ::testing::Values(
        EdgeCase{"capital_true_is_false", "CheckBox1.Checked = True\r\n",
                 [](Station& s) { EXPECT_FALSE(s.main.CheckBox1->isChecked()); }},
        EdgeCase{"key_case_ignored", "checkbox1.checked = true\r\n",
                 [](Station& s) { EXPECT_TRUE(s.main.CheckBox1->isChecked()); }},
        EdgeCase{"baud_always_6", "port_com_vitesse = 3\r\n",
                 [](Station& s) { EXPECT_EQ(s.form.link().state().baud_index, 6); }},
        EdgeCase{"start_depth_not_read", "zero_margelle = 150\r\n",
                 [](Station& s) {
                   EXPECT_EQ(s.form.link().state().start_depth_cm, 0);
                   EXPECT_EQ(s.main.Label7->text().toStdString(), "0 cm");
                 }},
        EdgeCase{"value_trimmed", "Edit_nom_prefixe.Text =   puits 3  \r\n",
                 [](Station& s) { EXPECT_EQ(s.main.Edit_nom_prefixe->text().toStdString(), "puits 3"); }},
        EdgeCase{"first_of_two_counts", "contraste = 2\r\ncontraste = 1\r\n",
                 [](Station& s) {
                   EXPECT_EQ(s.host.contrast, 2);
                   EXPECT_EQ(s.host.selected_contrast, 2);
                 }},
        EdgeCase{"no_blank_before_equals", "contraste= 1\r\n", [](Station& s) { EXPECT_EQ(s.host.contrast, 0); }},
        EdgeCase{"two_blanks_before_equals", "contraste  = 1\r\n", [](Station& s) { EXPECT_EQ(s.host.contrast, 0); }},
        EdgeCase{"lf_only_file", "Form1.Edit13.Text = 65\nForm1.CheckBox3.Checked = false\n",
                 [](Station& s) {
                   EXPECT_EQ(s.form.link().fields().Edit13, "65");
                   EXPECT_FALSE(s.form.link().fields().CheckBox3);
                   EXPECT_FALSE(s.form.design().CheckBox3->isChecked());
                 }},
        // The circumference kept in the file is the one the depth uses, on both windows.
        EdgeCase{"circumference_reaches_the_link", "Edit_circ.Text = 397,5\r\n",
                 [](Station& s) {
                   EXPECT_EQ(s.main.Edit_circ->text().toStdString(), "397,5");
                   EXPECT_EQ(s.form.design().Edit_circ->text().toStdString(), "397,5");
                   EXPECT_EQ(s.form.link().fields().Edit_circ, "397,5");
                   EXPECT_DOUBLE_EQ(s.form.link().state().metres_per_turn, 0.3975);
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LireParam, ABadIntegerEndsTheReadingAtItsKey) {
  QTemporaryDir dir;
  write_file(QDir(dir.path()).filePath("wellvue.ini"),
             "Edit_nom_prefixe.Text = P7\r\ncbVSources_itemindex = x1\r\nEdit_circ.Text = 999\r\n");
  Station s(dir.path());
  try {
    s.form.lire_param();
    FAIL() << "no error";
  } catch (const ConversionError& e) {
    EXPECT_EQ(std::string(e.what()), "'x1' n'est pas une valeur enti\xE8re correcte");
  }
  EXPECT_EQ(qs(s.main.Edit_nom_prefixe->text()), "P7");  // before the bad key
  EXPECT_EQ(qs(s.main.Edit_circ->text()), "405");        // after it: the form's value
  EXPECT_EQ(qs(s.main.Label7->text()), ".. cm");         // later steps did not run
}

TEST(LireParam, ACircumferenceThatIsNoNumberEndsTheReading) {
  QTemporaryDir dir;
  write_file(QDir(dir.path()).filePath("wellvue.ini"), "Edit_circ.Text = 4o4\r\ncontraste = 2\r\n");
  Station s(dir.path());
  EXPECT_THROW(s.form.lire_param(), ConversionError);
  EXPECT_EQ(s.host.selected_contrast, 0);  // the contrast is selected after the circumference
}

TEST(SauveParam, WritingThenReadingGivesBackEverySettingButTheStartDepth) {
  QTemporaryDir dir;
  {
    Station s(dir.path());
    s.form.lire_param();
    s.main.CheckBox1->setChecked(false);
    s.main.Edit_nom_prefixe->setText(" puits  ");
    s.host.temp_name = "t.avi";
    s.host.memory = {2, 1, "x264enc"};
    s.form.link().state().start_depth_cm = 150;
    s.main.Edit_longueur->setText("7");
    s.main.Edit_circ->setText("401");
    s.form.design().CheckBox3->setChecked(false);
    s.form.design().Edit13->setText("65");
    s.form.design().Edit14->setText("20");
    s.form.link().state().port_index = 3;
    s.host.folder = "/data/vid\xE9os";
    s.host.contrast = 2;
    s.form.sauve_param();
    EXPECT_TRUE(s.prompter.texts().empty());
  }
  EXPECT_EQ(read_file(QDir(dir.path()).filePath("wellvue.ini")),
            "CheckBox1.Checked = false\r\nEdit_nom_prefixe.Text =  puits  \r\n"
            "config.TempCaptureFileName = t.avi\r\ncbVSources_itemindex = 2\r\ncbASources_itemindex = 1\r\n"
            "zero_margelle = 150\r\nEdit_longueur.Text = 7\r\nEdit_circ.Text = 401\r\n"
            "Form1.CheckBox3.Checked = false\r\nForm1.Edit13.Text = 65\r\nForm1.Edit14.Text = 20\r\n"
            "port_com_idx = 3\r\nport_com_vitesse = 6\r\nrepertoire_video = /data/vid\xE9os\r\n"
            "compresseur_video = x264enc\r\ncontraste = 2\r\n");
  Station s(dir.path());
  s.form.lire_param();
  EXPECT_FALSE(s.main.CheckBox1->isChecked());
  EXPECT_EQ(qs(s.main.Edit_nom_prefixe->text()), "puits");  // values are trimmed on reading
  EXPECT_EQ(s.host.temp_name, "t.avi");
  EXPECT_EQ(s.host.memory.video_source_index, 2);
  EXPECT_EQ(s.host.memory.audio_source_index, 1);
  EXPECT_EQ(s.host.memory.video_compressor_name, "x264enc");
  EXPECT_EQ(s.form.link().state().start_depth_cm, 0);
  EXPECT_EQ(qs(s.main.Edit_longueur->text()), "7");
  EXPECT_EQ(qs(s.form.design().Edit_circ->text()), "401");
  EXPECT_FALSE(s.form.link().fields().CheckBox3);
  EXPECT_EQ(s.form.link().fields().Edit13, "65");
  EXPECT_EQ(s.form.link().fields().Edit14, "20");
  EXPECT_EQ(s.form.link().state().port_index, 3);
  EXPECT_EQ(s.host.folder, "/data/vid\xE9os");
  EXPECT_EQ(s.host.contrast, 2);
}

TEST(SauveParam, AFailedWriteSaysSoAndKeepsTheOldFile) {
  testing::UnwritableDir dir;
  const QString ini = QDir(dir.path()).filePath("wellvue.ini");
  write_file(ini, "contraste = 1\r\n");
  dir.lock();
  if (!dir.ok()) GTEST_SKIP() << "no way to make a folder read-only here";
  Station s(dir.path());  // a portable copy beside its settings file keeps using it
  s.form.lire_param();
  s.form.sauve_param();
  EXPECT_EQ(s.prompter.texts(),
            std::vector<std::string>{"Le fichier " + ini.toStdString() + " n'a pas pu \xEAtre enregistr\xE9..."});
  EXPECT_EQ(read_file(ini), "contraste = 1\r\n");
}

TEST(SauveParam, AnInstalledProgramKeepsItsSettingsInTheUserConfiguration) {
  testing::UnwritableDir dir;
  dir.lock();
  if (!dir.ok()) GTEST_SKIP() << "no way to make a folder read-only here";
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  {
    Station s(dir.path());
    s.form.lire_param();
    EXPECT_TRUE(QString::fromStdString(s.host.folder).endsWith("/Wellvue"));
    s.main.Edit_nom_prefixe->setText("P9");
    s.form.sauve_param();
    EXPECT_TRUE(s.prompter.texts().empty());
  }
  Station s(dir.path());
  s.form.lire_param();
  EXPECT_EQ(qs(s.main.Edit_nom_prefixe->text()), "P9");
  EXPECT_TRUE(QFileInfo::exists(QDir(config.path()).filePath("wellvue/wellvue.ini")));
  qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace wellvue
