// The recording workflow over the real capture engine (test-pattern camera, GStreamer, AVI files)
// and the encoder link on a pseudo-terminal fed by the simulated board.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../util/temp_dir.h"
#include "capture/gst/test_pattern_device.h"
#include "recording/recording_texts.h"
#include "recording/unfinished_recordings.h"
#include "recording_rig.h"
#include "util/conversion_error.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;
using test::Rig;
using test::TempDir;

bool shown(const ScriptedPrompter& p, const std::string& text) {
  for (const auto& t : p.texts())
    if (t == text) return true;
  return false;
}

int count_with(const std::vector<test::ParsedSubtitle>& subs, const std::string& part) {
  int n = 0;
  for (const auto& s : subs)
    if (s.text.find(part) != std::string::npos) ++n;
  return n;
}

TEST(RecordingWorkflow, FullCycleWritesAPlayableVideoAndItsSubtitles) {
  TempDir dir;
  Rig rig(dir.path() / "videos");
  const std::string avi = (rig.folder / "puits.avi").string();
  const std::string srt = (rig.folder / "puits.srt").string();
  ASSERT_TRUE(rig.start(/*zero=*/true));
  // The start message names the file and the recording time the free space allows.
  std::string start_message;
  for (const auto& t : rig.prompter.texts())
    if (t.rfind(file_name_message(avi), 0) == 0) start_message = t;
  EXPECT_EQ(start_message.rfind(file_name_message(avi) + "   place libre : environ ", 0), 0u) << start_message;
  EXPECT_EQ(start_message.substr(start_message.size() - 5), " min\n");
  EXPECT_TRUE(shown(rig.prompter, kZeroQuestion));
  EXPECT_TRUE(shown(rig.prompter, kStartCaptureQuestion));
  EXPECT_EQ(rig.host->shown, std::vector<int>{0});
  EXPECT_EQ(rig.link->fields().RadioGroup1, 0);
  EXPECT_EQ(rig.config.CaptureFileName, avi);
  EXPECT_FALSE(rig.engine->UseTimeLimit());
  const std::string recording_file = rig.engine->RecordingFile();
  EXPECT_TRUE(fs::exists(recording_file + kRecordingNoteSuffix));

  // The track goes to disk while it is written.
  ASSERT_TRUE(rig.record_entries(6));
  const int journaled = test::entries_in(rig.link->track());
  EXPECT_GE(static_cast<int>(test::parse_srt(srt).size()), journaled);
  // The track's clock starts at the video's first frame.
  ASSERT_TRUE(rig.workflow->track_origin_ms().has_value());
  EXPECT_EQ(*rig.workflow->track_origin_ms(), rig.engine->FirstFrameTimeNs() / 1000000);
  EXPECT_NE(rig.view.label5, "");

  rig.workflow->btStopClick();
  EXPECT_FALSE(rig.engine->Capturing());
  EXPECT_EQ(rig.link->fields().RadioGroup1, 1);
  EXPECT_EQ(rig.view.label5, kStoppedText);
  ASSERT_FALSE(rig.prompter.texts().empty());
  EXPECT_EQ(rig.prompter.texts().back().rfind(" enregistrement effectu\xE9 ... \n\n  " + avi, 0), 0u);
  EXPECT_FALSE(fs::exists(recording_file + kRecordingNoteSuffix));

  const test::PlayedVideo video = test::play_avi(avi);
  ASSERT_TRUE(video.ok) << video.error;
  EXPECT_EQ(video.frames, rig.engine->LastCaptureStats().frames_written);
  EXPECT_GT(video.duration_s, 2.0);

  std::string error;
  const auto subs = test::parse_srt(srt, &error);
  ASSERT_TRUE(error.empty()) << error;
  ASSERT_GE(subs.size(), 4u);
  EXPECT_DOUBLE_EQ(subs.front().start_s, 0.0);
  for (std::size_t i = 1; i < subs.size(); ++i) EXPECT_GE(subs[i].start_s + 1e-9, subs[i - 1].end_s - 1.0) << i;
  // Depth entries carry the depth; the closing entries close at the video's end.
  EXPECT_GE(count_with(subs, "m"), 3);
  const auto& last_depth = subs[subs.size() - 2];
  EXPECT_NEAR(last_depth.end_s, video.duration_s, 0.040);
  EXPECT_NEAR(subs.back().end_s - subs.back().start_s, 1.0, 0.002);
  EXPECT_NE(subs.back().text.find(" ... "), std::string::npos);
}

TEST(RecordingWorkflow, EveryAnswerOfTheStart) {
  struct Case {
    const char* name;
    bool file_there;
    bool overwrite;
    bool zero;
    bool confirm;
    bool started;
  };
  const Case cases[] = {
      {"overwrite refused", true, false, true, true, false},
      {"overwrite accepted", true, true, false, true, true},
      {"zero refused", false, true, false, true, true},
      {"zero accepted, start cancelled", false, true, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    Rig rig(dir.path());
    if (c.file_there) std::ofstream(dir.path() / "puits.avi") << "old";
    DepthState& s = rig.link->state();
    s.water_zero = 5;
    rig.link->set_start_depth_cm(30);
    EXPECT_EQ(rig.start(c.zero, c.confirm, c.overwrite), c.started);
    EXPECT_EQ(rig.engine->Capturing(), c.started);
    const bool zeroed = c.zero && (!c.file_there || c.overwrite);
    EXPECT_EQ(s.water_zero, zeroed ? -1 : 5);
    EXPECT_EQ(s.start_depth_cm, zeroed ? 0 : 30);
    EXPECT_EQ(s.open_count, 1);  // the port is never reopened: the cable drawn meanwhile counts
    EXPECT_EQ(rig.link->fields().RadioGroup1, c.started ? 0 : 1);
    EXPECT_EQ(shown(rig.prompter, kZeroQuestion), !c.file_there || c.overwrite);
    if (c.started) {
      ASSERT_TRUE(rig.record_entries(1));
      rig.workflow->btStopClick();
      EXPECT_TRUE(test::play_avi((dir.path() / "puits.avi").string()).ok);
    } else if (c.file_there) {
      EXPECT_EQ(test::read_bytes(dir.path() / "puits.avi"), "old");
    }
  }
}

TEST(RecordingWorkflow, StopAfterAWriteFailureClosesTheTrackOnce) {
  TempDir dir;
  Rig rig(dir.path());
  ASSERT_TRUE(rig.start(false));
  ASSERT_TRUE(rig.record_entries(3));
  const std::string srt = (dir.path() / "puits.srt").string();
  // A folder where the subtitle file should go: nothing can write it, not even root.
  fs::remove(srt);
  fs::create_directory(srt);
  try {
    rig.workflow->btStopClick();
    ADD_FAILURE() << "the stop went through";
  } catch (const ConversionError& e) {
    EXPECT_EQ(std::string(e.what()), cannot_create_file_text(srt));
  }
  EXPECT_TRUE(rig.engine->Capturing());
  EXPECT_TRUE(rig.workflow->recording());
  rig.run_for(500);
  fs::remove(srt);
  rig.workflow->btStopClick();
  EXPECT_FALSE(rig.engine->Capturing());
  const auto subs = test::parse_srt(srt);
  EXPECT_EQ(count_with(subs, " ... "), 1);
  // Entry numbers run on without a gap over the closing entries.
  const auto& track = rig.link->track();
  std::vector<int> numbers;
  for (std::size_t i = 0; i + 1 < track.size(); ++i)
    if ((i == 0 || track[i - 1].empty()) && !track[i].empty()) numbers.push_back(std::stoi(track[i]));
  ASSERT_GE(numbers.size(), 2u);
  for (std::size_t i = 1; i < numbers.size(); ++i) EXPECT_EQ(numbers[i], numbers[i - 1] + 1);
}

// Moves to the recording's own name fail; setting a file aside still works.
class NoMoveToName : public CaptureFiles {
 public:
  void rename(const std::string& from, const std::string& to, std::error_code& ec) override {
    if (fs::path(to).filename() == "puits.avi") {
      ec = std::make_error_code(std::errc::permission_denied);
      return;
    }
    CaptureFiles::rename(from, to, ec);
  }
};

TEST(RecordingWorkflow, ARecordingThatCannotTakeItsNameIsKeptAndNamed) {
  TempDir dir;
  test::RigOptions o;
  o.files = std::make_unique<NoMoveToName>();
  Rig rig(dir.path(), std::move(o));
  ASSERT_TRUE(rig.start(false));
  const std::string recording_file = rig.engine->RecordingFile();
  ASSERT_TRUE(rig.record_entries(2));
  rig.workflow->btStopClick();
  const std::string kept = rig.engine->RecordingFile();
  ASSERT_TRUE(rig.engine->KeptRecordings().count(kept));
  EXPECT_TRUE(test::play_avi(kept).ok);
  const std::string last = rig.prompter.texts().back();
  EXPECT_EQ(last.rfind(" enregistrement effectu\xE9 ... \n\n  " + kept + "\n", 0), 0u) << last;
  EXPECT_NE(last.find("(impossible de le nommer " + (dir.path() / "puits.avi").string() + ")"), std::string::npos);
  // Its subtitles beside it, and beside the name it was meant for.
  EXPECT_FALSE(test::parse_srt(name_without_extension(kept) + ".srt").empty());
  EXPECT_FALSE(test::parse_srt((dir.path() / "puits.srt").string()).empty());
  EXPECT_FALSE(fs::exists(recording_file + kRecordingNoteSuffix));
}

TEST(RecordingWorkflow, ClosingTheProgramFinishesTheRecording) {
  TempDir dir;
  test::RigOptions o;
  o.recording.recording_folders_file = (dir.path() / "wellvue.dossiers").string();
  Rig rig(dir.path(), std::move(o));
  ASSERT_TRUE(rig.start(false));
  // Start-up will look here too, whatever the video folder is by then.
  EXPECT_EQ(remembered_recording_folders((dir.path() / "wellvue.dossiers").string()),
            std::vector<std::string>{dir.path().string()});
  ASSERT_TRUE(rig.record_entries(2));
  const std::size_t messages = rig.prompter.texts().size();
  rig.workflow->finish_before_exit();
  EXPECT_FALSE(rig.engine->Capturing());
  EXPECT_FALSE(rig.workflow->recording());
  EXPECT_EQ(rig.prompter.texts().size(), messages);  // no closing box on the way out
  EXPECT_TRUE(test::play_avi((dir.path() / "puits.avi").string()).ok);
  EXPECT_EQ(count_with(test::parse_srt((dir.path() / "puits.srt").string()), " ... "), 1);
  // Nothing left to finish.
  rig.workflow->finish_before_exit();
  EXPECT_EQ(rig.prompter.texts().size(), messages);
}

// A camera that sends no picture leaves no video file: the operator is told so, not "effectué",
// and the depths are still saved.
TEST(RecordingWorkflow, ARecordingWithoutPicturesSaysSo) {
  TempDir dir;
  Rig rig(dir.path());
  struct Thaw {
    ~Thaw() { gst::freeze_test_pattern_sources(false); }
  } thaw;
  gst::freeze_test_pattern_sources(true);
  rig.run_for(300);  // frames already on their way are through
  ASSERT_TRUE(rig.start(false));
  rig.run_for(1500);
  rig.workflow->btStopClick();
  const std::string avi = (dir.path() / "puits.avi").string();
  const std::string srt = (dir.path() / "puits.srt").string();
  EXPECT_EQ(rig.engine->LastCaptureStats().frames_written, 0u);
  EXPECT_FALSE(fs::exists(avi));
  EXPECT_EQ(rig.prompter.texts().back(), no_video_message(avi, srt));
  EXPECT_EQ(count_with(test::parse_srt(srt), " ... "), 1);
  EXPECT_EQ(rig.view.label5, kStoppedText);
}

}  // namespace
}  // namespace wellvue

namespace wellvue {
namespace {

// A second recording with no line from the encoder (port closed): its closing entries end at its
// own video's end, not at the last entry of the recording before it.
TEST(RecordingWorkflow, EachRecordingClosesAtItsOwnEnd) {
  TempDir dir;
  Rig rig(dir.path());
  ASSERT_TRUE(rig.start(false));
  // The first recording is longer than the second: its last entry is past the second one's end.
  ASSERT_TRUE(rig.run_until(
      [&] { return test::entries_in(rig.link->track()) >= 3 && rig.engine->CaptureTime() >= 5000; }, 60000));
  rig.workflow->btStopClick();
  const std::int64_t first_last_entry = time_code_ms(rig.link->state().previous_time_code);
  ASSERT_GT(first_last_entry, 3000);

  // Not a line more: the port is closed.
  rig.link->close_without_pause();
  rig.run_for(300);
  rig.host->prefix_text = "puits2";
  ASSERT_TRUE(rig.start(false));
  // CaptureTime holds the first recording's count until the engine's first tick of this one.
  rig.run_for(2000);
  ASSERT_TRUE(rig.run_until([&] { return rig.engine->CaptureTime() >= 1500; }, 30000));
  rig.workflow->btStopClick();
  const test::PlayedVideo video = test::play_avi((dir.path() / "puits2.avi").string());
  ASSERT_TRUE(video.ok) << video.error;
  ASSERT_LT(video.duration_s * 1000, first_last_entry);
  const auto subs = test::parse_srt((dir.path() / "puits2.srt").string());
  ASSERT_GE(subs.size(), 2u);
  for (const auto& sub : subs) EXPECT_LE(sub.end_s, video.duration_s + 1.040) << sub.text;
  EXPECT_NEAR(subs[subs.size() - 2].end_s, video.duration_s, 0.040);
  EXPECT_NEAR(subs.back().start_s, video.duration_s, 0.040);
}

}  // namespace
}  // namespace wellvue
