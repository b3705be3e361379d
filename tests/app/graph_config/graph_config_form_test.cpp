// The form as created for a set of name lists: what the operator sees, what stays hidden, the
// remembered selections, and the free-text field following the operator's compressor pick.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/graph_config/graph_config_form.h"
#include "dialog_driver.h"

namespace wellvue {
namespace {

CaptureDeviceNames sample_names() {
  CaptureDeviceNames n;
  n.video_sources = {"USB Camera", "USB Camera (2)", "Mire de test"};
  n.audio_sources = {"Micro",
                     "Entr\xE9"
                     "e ligne"};  // CP1252 é
  n.video_compressors = {"DV Video Encoder", "Motion JPEG"};
  n.audio_compressors = {"MPEG-1 Layer 3"};
  return n;
}

QString text_of(QWidget* w) {
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  return {};
}

TEST(GraphConfigForm, OperatorSeesOnlyTheChoicesAndTheAdvice) {
  GraphConfigMemory memory;
  TFGraphConfig form(sample_names(), memory);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Capture graph configuration"));

  struct Shown {
    const char* name;
    QString text;
  };
  const Shown visible[] = {
      {"GroupBox1", " Capture Sources "},
      {"Label1", "Video"},
      {"cbVSources", {}},
      {"Label2", "Audio"},
      {"cbASources", {}},
      {"GroupBox2", " Compresseurs possibles"},
      {"cbVComp", "Video"},
      {"cbVComps", {}},
      {"Label9", "Compresseur choisi (si vide alors aucun)"},
      {"Edit4", "DV Video Encoder"},
      {"Label10", "Conseils"},
      {"Label11", "Choisir : ASUS USB2.0 Webcam"},
      {"Label15", "<=  si vide alors :"},
      {"Label13", QStringLiteral("cocher [x] Vidéo et choisir ")},
      {"Label12", "DVD Video Encoder"},
      {"Label14", "puis valider par le bouton  [OK]"},
      {"Button1", "OK"},
      {"Button2", "Cancel"},
  };
  for (const Shown& s : visible) {
    auto* w = form.findChild<QWidget*>(QString::fromLatin1(s.name));
    ASSERT_NE(w, nullptr) << s.name;
    EXPECT_TRUE(w->isVisible()) << s.name;
    if (!s.text.isNull()) {
      EXPECT_EQ(text_of(w), s.text) << s.name;
    }
  }

  const Shown hidden[] = {
      {"cbWantPreview", {}},
      {"cbWantCapture", {}},
      {"cbWantBitmaps", {}},
      {"cbWantAudio", {}},
      {"cbWantDVAudio", {}},
      {"cbWantAudioPreview", {}},
      {"cbDoPreallocCaptureFile", {}},
      {"cbUseTempFile", {}},
      {"cbAComp", {}},
      {"cbAComps", {}},
      {"Edit1", {}},
      {"Edit2", {}},
      {"Edit3", {}},
      {"cbDVResolution", {}},
      {"cbPixelFormat", {}},
      {"Label3", "CaptureFileName"},
      {"Label4", "TempCaptureFileName"},
      {"Label5", "Prealloc file size"},
      {"Label6", "Mb"},
      {"Label7", "DV Resolution"},
      {"Label8", "BitmapPixelFormat"},
  };
  for (const Shown& s : hidden) {
    auto* w = form.findChild<QWidget*>(QString::fromLatin1(s.name));
    ASSERT_NE(w, nullptr) << s.name;
    EXPECT_FALSE(w->isVisible()) << s.name;
    if (!s.text.isNull()) {
      EXPECT_EQ(text_of(w), s.text) << s.name;
    }
  }
  EXPECT_TRUE(form.Button1->isDefault());
  EXPECT_EQ(form.Label10->palette().color(QPalette::WindowText), QColor(Qt::red));
}

TEST(GraphConfigForm, HiddenListsHoldTheirItemsInRecordOrder) {
  GraphConfigMemory memory;
  TFGraphConfig form(sample_names(), memory);
  const QStringList dv{"dont worry", "Full", "Half", "Quater", "DC"};
  const QStringList pf{"pfDevice", "pf1bit",  "pf4bit",  "pf8bit",  "pf15bit",
                       "pf16bit",  "pf24bit", "pf32bit", "pfCustom"};
  ASSERT_EQ(form.cbDVResolution->count(), dv.size());
  for (int i = 0; i < dv.size(); ++i) EXPECT_EQ(form.cbDVResolution->itemText(i), dv[i]);
  ASSERT_EQ(form.cbPixelFormat->count(), pf.size());
  for (int i = 0; i < pf.size(); ++i) EXPECT_EQ(form.cbPixelFormat->itemText(i), pf[i]);
}

struct RememberedCase {
  int video_index;
  int audio_index;
  int expected_video;  // -1: no selection
  int expected_audio;
};

class RememberedSelection : public ::testing::TestWithParam<RememberedCase> {};

TEST_P(RememberedSelection, IndexOutsideTheListSelectsNothing) {
  const RememberedCase& c = GetParam();
  GraphConfigMemory memory{c.video_index, c.audio_index, {}};
  TFGraphConfig form(sample_names(), memory);
  EXPECT_EQ(form.cbVSources->currentIndex(), c.expected_video);
  EXPECT_EQ(form.cbASources->currentIndex(), c.expected_audio);
  if (c.expected_video < 0) {
    EXPECT_TRUE(form.cbVSources->currentText().isEmpty());
  }
  // The compressor lists never start with a selection.
  EXPECT_EQ(form.cbVComps->currentIndex(), -1);
  EXPECT_EQ(form.cbAComps->currentIndex(), -1);
}

INSTANTIATE_TEST_SUITE_P(Indexes, RememberedSelection,
                         ::testing::Values(RememberedCase{0, 0, 0, 0}, RememberedCase{2, 1, 2, 1},
                                           RememberedCase{3, 2, -1, -1}, RememberedCase{-1, -1, -1, -1},
                                           RememberedCase{-7, 1000, -1, -1}));

TEST(GraphConfigForm, EmptyListsSelectNothing) {
  GraphConfigMemory memory;  // remembered index 0, but nothing to select
  TFGraphConfig form(CaptureDeviceNames{}, memory);
  EXPECT_EQ(form.cbVSources->currentIndex(), -1);
  EXPECT_EQ(form.cbASources->currentIndex(), -1);
  EXPECT_EQ(form.cbVSources->count(), 0);
}

TEST(GraphConfigForm, FreeTextFieldFollowsOnlyTheOperatorsPick) {
  GraphConfigMemory memory;
  TFGraphConfig form(sample_names(), memory);
  form.Edit4->setText(QStringLiteral("typed by hand"));
  // The program selecting an item leaves the field alone.
  form.cbVComps->setCurrentIndex(1);
  EXPECT_EQ(form.Edit4->text(), QStringLiteral("typed by hand"));
  // The operator's pick copies the item into the field.
  testing::pick(form.cbVComps, QStringLiteral("DV Video Encoder"));
  EXPECT_EQ(form.Edit4->text(), QStringLiteral("DV Video Encoder"));
  testing::pick(form.cbVComps, QStringLiteral("Motion JPEG"));
  EXPECT_EQ(form.Edit4->text(), QStringLiteral("Motion JPEG"));
}

}  // namespace
}  // namespace wellvue
