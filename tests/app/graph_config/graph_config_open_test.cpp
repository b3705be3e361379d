// What the dialog shows when it opens on a record: check marks, selections, the free-text field
// and which controls the operator can use.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include "graph_config_fixture.h"

namespace wellvue::testing {
namespace {

struct Seen {
  bool vcomp_checked = false, acomp_checked = false;
  int vcomps_index = -2, acomps_index = -2;
  QString vcomps_text, edit4;
  bool asources_enabled = false, vcomp_enabled = false, vcomps_enabled = false;
  bool acomp_enabled = false, acomps_enabled = false, bitmaps_enabled = false;
  bool audio_preview_enabled = false, prealloc_enabled = false, temp_enabled = false, edit4_enabled = false;
  int grayed = -1;
};

Seen look(const TFGraphConfig& f) {
  Seen s;
  s.vcomp_checked = is_checked(f.cbVComp);
  s.acomp_checked = is_checked(f.cbAComp);
  s.vcomps_index = f.cbVComps->currentIndex();
  s.acomps_index = f.cbAComps->currentIndex();
  s.vcomps_text = f.cbVComps->currentText();
  s.edit4 = f.Edit4->text();
  s.asources_enabled = f.cbASources->isEnabled();
  s.vcomp_enabled = f.cbVComp->isEnabled();
  s.vcomps_enabled = f.cbVComps->isEnabled();
  s.acomp_enabled = f.cbAComp->isEnabled();
  s.acomps_enabled = f.cbAComps->isEnabled();
  s.bitmaps_enabled = f.cbWantBitmaps->isEnabled();
  s.audio_preview_enabled = f.cbWantAudioPreview->isEnabled();
  s.prealloc_enabled = f.cbDoPreallocCaptureFile->isEnabled();
  s.temp_enabled = f.cbUseTempFile->isEnabled();
  s.edit4_enabled = f.Edit4->isEnabled();
  s.grayed = 0;
  for (const QCheckBox* box : f.findChildren<QCheckBox*>())
    if (box->checkState() == Qt::PartiallyChecked) ++s.grayed;
  return s;
}

struct EnablingCase {
  bool want_capture, want_audio, want_preview;
  bool video_compressor_listed, audio_compressor_listed;
};

class Enabling : public GraphConfigDialogTest, public ::testing::WithParamInterface<EnablingCase> {};

TEST_P(Enabling, ControlsFollowTheRecord) {
  const EnablingCase& c = GetParam();
  const std::string vcomp = some_video_compressor();
  if (c.video_compressor_listed && vcomp.empty()) GTEST_SKIP() << "no video encoder on this machine";
  cache(AudioCompressors(), {"MPEG Layer-3", "PCM"});
  config.WantCapture = c.want_capture;
  config.WantAudio = c.want_audio;
  config.WantPreview = c.want_preview;
  config.VideoCompressorName = c.video_compressor_listed ? vcomp : "Indeo 5";
  config.AudioCompressorName = c.audio_compressor_listed ? "PCM" : "GSM 6.10";
  memory.video_compressor_name = "remembered";

  Seen s;
  const DialogRun r = run([&](TFGraphConfig& f) { s = look(f); }, CloseBy::Cancel);
  ASSERT_TRUE(r.opened);
  EXPECT_FALSE(r.result);

  EXPECT_EQ(s.grayed, 0);
  EXPECT_EQ(s.vcomp_checked, c.video_compressor_listed);
  EXPECT_EQ(s.acomp_checked, c.audio_compressor_listed);
  EXPECT_EQ(s.vcomps_index, c.video_compressor_listed ? index_of(names.video_compressors, vcomp) : -1);
  EXPECT_EQ(s.vcomps_text, c.video_compressor_listed ? QString::fromStdString(vcomp) : QString());
  EXPECT_EQ(s.acomps_index, c.audio_compressor_listed ? 1 : -1);
  EXPECT_EQ(s.edit4, QStringLiteral("remembered"));

  EXPECT_EQ(s.asources_enabled, c.want_audio);
  EXPECT_EQ(s.vcomp_enabled, c.want_capture);
  EXPECT_EQ(s.vcomps_enabled, c.want_capture && c.video_compressor_listed);
  // The capture handler runs after the audio one and has the last word on the hidden box.
  EXPECT_EQ(s.acomp_enabled, c.want_capture);
  EXPECT_EQ(s.acomps_enabled, c.want_capture && c.want_audio && c.audio_compressor_listed);
  EXPECT_EQ(s.bitmaps_enabled, c.want_preview);
  EXPECT_EQ(s.audio_preview_enabled, c.want_preview);
  EXPECT_EQ(s.prealloc_enabled, c.want_capture);
  EXPECT_EQ(s.temp_enabled, c.want_capture);
  EXPECT_TRUE(s.edit4_enabled);
}

std::vector<EnablingCase> all_enabling_cases() {
  std::vector<EnablingCase> out;
  for (int bits = 0; bits < 32; ++bits)
    out.push_back({(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0, (bits & 16) != 0});
  return out;
}

INSTANTIATE_TEST_SUITE_P(Records, Enabling, ::testing::ValuesIn(all_enabling_cases()));

TEST_F(GraphConfigDialogTest, VideoBoxIsTheOperatorsSwitchForTheList) {
  const std::string vcomp = some_video_compressor();
  if (vcomp.empty()) GTEST_SKIP() << "no video encoder on this machine";
  config.WantCapture = true;
  config.VideoCompressorName = vcomp;
  std::vector<bool> list_enabled;
  run(
      [&](TFGraphConfig& f) {
        list_enabled.push_back(f.cbVComps->isEnabled());
        QTest::mouseClick(f.cbVComp, Qt::LeftButton);
        list_enabled.push_back(f.cbVComps->isEnabled());
        EXPECT_EQ(f.cbVComp->checkState(), Qt::Unchecked);  // two states only, never grayed
        QTest::mouseClick(f.cbVComp, Qt::LeftButton);
        list_enabled.push_back(f.cbVComps->isEnabled());
        EXPECT_EQ(f.cbVComp->checkState(), Qt::Checked);
      },
      CloseBy::Cancel);
  EXPECT_EQ(list_enabled, (std::vector<bool>{true, false, true}));
}

TEST_F(GraphConfigDialogTest, WithoutCaptureOnlyTheFreeTextNamesACompressor) {
  const std::string vcomp = some_video_compressor();
  if (vcomp.empty()) GTEST_SKIP() << "no video encoder on this machine";
  config.WantCapture = false;
  config.VideoCompressorName = vcomp;
  const DialogRun r = run(
      [&](TFGraphConfig& f) {
        EXPECT_FALSE(f.cbVComp->isEnabled());
        EXPECT_FALSE(f.cbVComps->isEnabled());
        // A click on the disabled box changes nothing.
        QTest::mouseClick(f.cbVComp, Qt::LeftButton);
        EXPECT_TRUE(is_checked(f.cbVComp));
        f.Edit4->setText(QStringLiteral("  Codec tapé  "));
      },
      CloseBy::Ok);
  ASSERT_TRUE(r.result);
  EXPECT_EQ(config.VideoCompressorName, "Codec tap\xE9");  // trimmed, CP1252
  EXPECT_EQ(memory.video_compressor_name, "Codec tap\xE9");
}

struct SourceCase {
  const char* label;
  std::string video_name;  // in the record
  int remembered_video;
  std::string audio_name;
  int remembered_audio;
  std::string expected_video;  // what OK records
  std::string expected_audio;
};

class SourceSelection : public GraphConfigDialogTest, public ::testing::WithParamInterface<SourceCase> {};

TEST_P(SourceSelection, RecordNameOrRememberedIndex) {
  const SourceCase& c = GetParam();
  cache(AudioDevices(), {"Micro USB", "Micro USB (2)",
                         "Entr\xE9"
                         "e ligne"});
  config.VideoSourceName = c.video_name;
  config.AudioSourceName = c.audio_name;
  config.WantAudio = true;
  memory.video_source_index =
      c.remembered_video == 0 ? index_of(names.video_sources, gst::kTestPatternName) : c.remembered_video;
  memory.audio_source_index = c.remembered_audio;
  const DialogRun r = run({}, CloseBy::Ok);
  ASSERT_TRUE(r.result);
  EXPECT_EQ(config.VideoSourceName, c.expected_video) << c.label;
  EXPECT_EQ(config.AudioSourceName, c.expected_audio) << c.label;
}

INSTANTIATE_TEST_SUITE_P(Names, SourceSelection,
                         ::testing::Values(SourceCase{"names found", gst::kTestPatternName, 99, "Micro USB (2)", 0,
                                                      gst::kTestPatternName, "Micro USB (2)"},
                                           SourceCase{"unknown names keep the remembered selection", "Absent", 0,
                                                      "Absent", 2, gst::kTestPatternName,
                                                      "Entr\xE9"
                                                      "e ligne"},
                                           SourceCase{"comparison is case-sensitive", "mire de test", 99, "micro usb",
                                                      -1, "", ""},
                                           SourceCase{"empty names, index beyond the lists", "", 99, "", 3, "", ""},
                                           SourceCase{"accented name found", "", 99,
                                                      "Entr\xE9"
                                                      "e ligne",
                                                      -1, "",
                                                      "Entr\xE9"
                                                      "e ligne"}));

TEST_F(GraphConfigDialogTest, FreeTextStartsWithTheRememberedNameEvenEmpty) {
  for (const char* remembered : {"", "Motion JPEG", "DV Video Encoder"}) {
    memory.video_compressor_name = remembered;
    QString shown = QStringLiteral("<not opened>");
    run([&](TFGraphConfig& f) { shown = f.Edit4->text(); }, CloseBy::Cancel);
    EXPECT_EQ(shown, QString::fromLatin1(remembered));
  }
}

TEST_F(GraphConfigDialogTest, HiddenFieldsCarryTheRecord) {
  config.TempCaptureFileName = "captemp.avi";
  config.CaptureFileName = "ignored.avi";
  config.PreallocFileSize = 3000000000u;
  config.DVResolution = dvrQuater;
  config.BitmapPixelFormat = pf15bit;
  run(
      [&](TFGraphConfig& f) {
        EXPECT_EQ(f.Edit1->text(), QStringLiteral("puits 3"));  // the main window's prefix
        EXPECT_EQ(f.Edit2->text(), QStringLiteral("captemp.avi"));
        EXPECT_EQ(f.Edit3->text(), QStringLiteral("3000000000"));
        EXPECT_EQ(f.cbDVResolution->currentText(), QStringLiteral("Quater"));
        EXPECT_EQ(f.cbPixelFormat->currentText(), QStringLiteral("pf15bit"));
      },
      CloseBy::Cancel, "puits 3");
}

TEST_F(GraphConfigDialogTest, OpensCentredOnTheScreen) {
  QPoint offset(9999, 9999);
  run([&](TFGraphConfig& f) { offset = f.frameGeometry().center() - f.screen()->availableGeometry().center(); },
      CloseBy::Cancel);
  EXPECT_LE(offset.manhattanLength(), 2);
}

}  // namespace
}  // namespace wellvue::testing
