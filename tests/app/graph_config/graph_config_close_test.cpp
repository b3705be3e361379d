// What closing the dialog does to the record and to the remembered values: Cancel and the other
// ways out change nothing but the remembered sources; OK resets the record and writes it anew.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "app/graph_config/megabytes_text.h"
#include "graph_config_fixture.h"
#include "util/conversion_error.h"

namespace wellvue::testing {
namespace {

// A record with every field away from its initial value.
TGraphConfig busy_record() {
  TGraphConfig c;
  c.VideoSourceName = gst::kTestPatternName;
  c.AudioSourceName = "Micro USB";
  c.VideoCompressorName = "Indeo 5";
  c.AudioCompressorName = "GSM 6.10";
  c.ACapMode.SamplesPerSec = 44100;
  c.ACapMode.Channels = 2;
  c.VCapMode.Width = 640;
  c.VCapMode.Height = 480;
  c.VCapMode.FrameRate = 25;
  c.VideoCompressorState = std::string("\x01\x00\x02", 3);
  c.WantCapture = c.WantPreview = c.WantBitmaps = c.WantAudio = c.WantDVAudio = true;
  c.WantAudioPreview = false;
  c.BitmapPixelFormat = pf32bit;
  c.DVResolution = dvrHalf;
  c.CaptureFileName = "/videos/old.avi";
  c.UseTempFile = true;
  c.TempCaptureFileName = "captemp.avi";
  c.DoPreallocFile = true;
  c.PreallocFileSize = 64;
  return c;
}

class NotOk : public GraphConfigDialogTest, public ::testing::WithParamInterface<CloseBy> {};

TEST_P(NotOk, RecordUntouchedSourcesRemembered) {
  cache(AudioDevices(), {"Micro USB", "Micro USB (2)"});
  config = busy_record();
  const TGraphConfig before = config;
  memory = {0, 0, "DV Video Encoder"};
  const DialogRun r = run(
      [&](TFGraphConfig& f) {
        pick(f.cbASources, QStringLiteral("Micro USB (2)"));
        f.Edit4->clear();
        QTest::keyClicks(f.Edit4, QStringLiteral("Motion JPEG"));
        f.Edit3->setText(QStringLiteral("not a number"));  // never read without OK
      },
      GetParam());
  ASSERT_TRUE(r.opened);
  EXPECT_FALSE(r.result);
  expect_same_record(config, before);
  EXPECT_EQ(memory.video_source_index, index_of(names.video_sources, gst::kTestPatternName));
  EXPECT_EQ(memory.audio_source_index, 1);
  EXPECT_EQ(memory.video_compressor_name, "DV Video Encoder");
  EXPECT_FALSE(any_dialog_alive());
}

INSTANTIATE_TEST_SUITE_P(Ways, NotOk, ::testing::Values(CloseBy::Cancel, CloseBy::Escape, CloseBy::CloseBox));

TEST_F(GraphConfigDialogTest, NoSelectionIsRememberedAsMinusOne) {
  memory = {99, 99, {}};
  run({}, CloseBy::Cancel);
  EXPECT_EQ(memory.video_source_index, -1);
  EXPECT_EQ(memory.audio_source_index, -1);
}

TEST_F(GraphConfigDialogTest, OkResetsWhatHasNoControl) {
  config = busy_record();
  const DialogRun r = run({}, CloseBy::Ok);
  ASSERT_TRUE(r.result);
  EXPECT_FALSE(any_dialog_alive());
  const TGraphConfig fresh;
  EXPECT_EQ(config.VCapMode.Width, 0);
  EXPECT_EQ(config.VCapMode.Height, 0);
  EXPECT_EQ(config.VCapMode.FrameRate, 0);
  EXPECT_EQ(config.ACapMode.SamplesPerSec, 0);
  EXPECT_EQ(config.ACapMode.Channels, 0);
  EXPECT_TRUE(config.VideoCompressorState.empty());
  // Names not in the lists, with no free text, are gone.
  EXPECT_EQ(config.AudioSourceName, "");
  EXPECT_EQ(config.AudioCompressorName, "");
  // The hidden fields came back as they went.
  EXPECT_EQ(config.TempCaptureFileName, "captemp.avi");
  EXPECT_EQ(config.PreallocFileSize, 64u);
  EXPECT_EQ(config.DVResolution, dvrHalf);
  EXPECT_EQ(config.BitmapPixelFormat, pf32bit);
}

struct Flags {
  bool preview, capture, bitmaps, audio, dv_audio, audio_preview, prealloc, temp;
};

class FlagsThroughOk : public GraphConfigDialogTest, public ::testing::WithParamInterface<Flags> {};

TEST_P(FlagsThroughOk, EachBooleanComesBackFromItsBox) {
  const Flags& b = GetParam();
  config.WantPreview = b.preview;
  config.WantCapture = b.capture;
  config.WantBitmaps = b.bitmaps;
  config.WantAudio = b.audio;
  config.WantDVAudio = b.dv_audio;
  config.WantAudioPreview = b.audio_preview;
  config.DoPreallocFile = b.prealloc;
  config.UseTempFile = b.temp;
  ASSERT_TRUE(run({}, CloseBy::Ok).result);
  EXPECT_EQ(config.WantPreview, b.preview);
  EXPECT_EQ(config.WantCapture, b.capture);
  EXPECT_EQ(config.WantBitmaps, b.bitmaps);
  EXPECT_EQ(config.WantAudio, b.audio);
  EXPECT_EQ(config.WantDVAudio, b.dv_audio);
  EXPECT_EQ(config.WantAudioPreview, b.audio_preview);
  EXPECT_EQ(config.DoPreallocFile, b.prealloc);
  EXPECT_EQ(config.UseTempFile, b.temp);
}

INSTANTIATE_TEST_SUITE_P(Patterns, FlagsThroughOk,
                         ::testing::Values(Flags{true, true, true, true, true, true, true, true},
                                           Flags{false, false, false, false, false, false, false, false},
                                           Flags{true, false, true, false, true, false, true, false},
                                           Flags{false, true, false, true, false, true, false, true},
                                           Flags{false, false, false, false, false, true, false, false}));

class PrefixThroughOk : public GraphConfigDialogTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(PrefixThroughOk, CaptureFileNameBecomesThePrefix) {
  config.CaptureFileName = "/videos/CXapture 2026-12-07.avi";
  ASSERT_TRUE(run({}, CloseBy::Ok, GetParam()).result);
  EXPECT_EQ(config.CaptureFileName, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Prefixes, PrefixThroughOk,
                         ::testing::Values(std::string("CXapture"), std::string("puits 3 "), std::string(),
                                           std::string("For\xE9t n\xB0"
                                                       "2")));

struct EnumCase {
  int dv_in, dv_out, pf_in, pf_out;
};

class EnumsThroughOk : public GraphConfigDialogTest, public ::testing::WithParamInterface<EnumCase> {};

TEST_P(EnumsThroughOk, ValueWithoutItemComesBackAsInitial) {
  const EnumCase& c = GetParam();
  config.DVResolution = static_cast<TDVResolution>(c.dv_in);
  config.BitmapPixelFormat = static_cast<TPixelFormat>(c.pf_in);
  ASSERT_TRUE(run({}, CloseBy::Ok).result);
  EXPECT_EQ(static_cast<int>(config.DVResolution), c.dv_out);
  EXPECT_EQ(static_cast<int>(config.BitmapPixelFormat), c.pf_out);
}

INSTANTIATE_TEST_SUITE_P(Values, EnumsThroughOk,
                         ::testing::Values(EnumCase{0, 0, 0, 0}, EnumCase{1, 1, 1, 1}, EnumCase{2, 2, 5, 5},
                                           EnumCase{3, 3, 7, 7}, EnumCase{4, 4, 8, 8}, EnumCase{5, 1, 9, 6},
                                           EnumCase{7, 1, 15, 6}));

struct CompressorCase {
  const char* label;
  bool pick_listed;      // the operator picks the machine's compressor in the list
  bool untick_video;     // then unticks "Video"
  QString final_edit4;   // what the free-text field holds at OK
  bool expect_listed;    // the listed name is recorded
  std::string expected;  // otherwise this name
};

class CompressorChoice : public GraphConfigDialogTest, public ::testing::WithParamInterface<CompressorCase> {};

TEST_P(CompressorChoice, FreeTextThenListThenNone) {
  const CompressorCase& c = GetParam();
  const std::string vcomp = some_video_compressor();
  if (c.pick_listed && vcomp.empty()) GTEST_SKIP() << "no video encoder on this machine";
  config.WantCapture = true;
  config.VideoCompressorName = "Indeo 5";  // not among this machine's encoders
  memory.video_compressor_name = "Indeo 5";
  QString edit4_after_pick;
  const DialogRun r = run(
      [&](TFGraphConfig& f) {
        EXPECT_FALSE(is_checked(f.cbVComp));
        EXPECT_TRUE(f.cbVComps->currentText().isEmpty());
        if (c.pick_listed) {
          QTest::mouseClick(f.cbVComp, Qt::LeftButton);  // tick "Video": the list opens up
          pick(f.cbVComps, QString::fromStdString(vcomp));
          edit4_after_pick = f.Edit4->text();
        }
        if (c.untick_video) QTest::mouseClick(f.cbVComp, Qt::LeftButton);
        f.Edit4->selectAll();
        QTest::keyClick(f.Edit4, Qt::Key_Delete);
        QTest::keyClicks(f.Edit4, c.final_edit4);
      },
      CloseBy::Ok);
  ASSERT_TRUE(r.result);
  if (c.pick_listed) {
    EXPECT_EQ(edit4_after_pick, QString::fromStdString(vcomp));
  }
  const std::string expected = c.expect_listed ? vcomp : c.expected;
  EXPECT_EQ(config.VideoCompressorName, expected) << c.label;
  EXPECT_EQ(memory.video_compressor_name, expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompressorChoice,
    ::testing::Values(
        CompressorCase{"unlisted, field cleared: none", false, false, QString(), false, ""},
        CompressorCase{"unlisted, blanks only: none", false, false, QStringLiteral("   "), false, ""},
        CompressorCase{"unlisted, typed name trimmed", false, false, QStringLiteral(" Xvid  "), false, "Xvid"},
        CompressorCase{"picked, field cleared: the list stands", true, false, QString(), true, ""},
        CompressorCase{"picked, blanks only: the list stands", true, false, QStringLiteral("  "), true, ""},
        CompressorCase{"picked, typed name wins", true, false, QStringLiteral("Xvid"), false, "Xvid"},
        CompressorCase{"picked, Video unticked, cleared: none", true, true, QString(), false, ""}));

TEST_F(GraphConfigDialogTest, AudioCompressorOnlyFromItsList) {
  for (const auto& [name, expected] : std::vector<std::pair<std::string, std::string>>{
           {"PCM", "PCM"}, {"MPEG Layer-3", "MPEG Layer-3"}, {"GSM 6.10", ""}, {"pcm", ""}}) {
    cache(AudioCompressors(), {"MPEG Layer-3", "PCM"});
    config = TGraphConfig{};
    config.AudioCompressorName = name;
    ASSERT_TRUE(run({}, CloseBy::Ok).result);
    EXPECT_EQ(config.AudioCompressorName, expected) << name;
  }
}

class PreallocThroughOk : public GraphConfigDialogTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(PreallocThroughOk, EverySizeComesBack) {
  config.PreallocFileSize = GetParam();
  ASSERT_TRUE(run({}, CloseBy::Ok).result);
  EXPECT_EQ(config.PreallocFileSize, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Sizes, PreallocThroughOk,
                         ::testing::Values(0u, 1u, 2047u, 2147483647u, 2147483648u, 4294967295u));

TEST_F(GraphConfigDialogTest, UnreadableSizeLeavesTheRecordAsItWas) {
  cache(AudioDevices(), {"Micro USB", "Micro USB (2)"});
  config = busy_record();
  const TGraphConfig before = config;
  memory = {0, 0, "DV Video Encoder"};
  try {
    run(
        [&](TFGraphConfig& f) {
          pick(f.cbASources, QStringLiteral("Micro USB (2)"));
          f.Edit4->setText(QStringLiteral("Xvid"));
          f.Edit3->setText(QStringLiteral("12a"));
        },
        CloseBy::Ok);
    ADD_FAILURE() << "OK converted '12a'";
  } catch (const ConversionError& e) {
    EXPECT_EQ(std::string(e.what()), not_an_integer_text("12a"));
  }
  expect_same_record(config, before);
  EXPECT_EQ(memory.video_compressor_name, "DV Video Encoder");
  EXPECT_EQ(memory.audio_source_index, 1);  // the dialog did close
  EXPECT_FALSE(any_dialog_alive());
}

}  // namespace
}  // namespace wellvue::testing
