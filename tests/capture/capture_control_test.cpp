#include <fstream>
#include <map>
#include <sstream>

#include "engine_fixture.h"

namespace wellvue::test {
namespace {
namespace fs = std::filesystem;

std::vector<std::string> without(std::vector<std::string> v, const std::string& drop) {
  v.erase(std::remove(v.begin(), v.end(), drop), v.end());
  return v;
}

TEST_F(EngineTest, StartCaptureAsksThenReleasesTheHeldFileBranch) {
  apply();
  prompter.add_answer(true);
  ASSERT_TRUE(cap->StartCapture(true));
  EXPECT_EQ(without(backend.log, "enumerate"),
            (std::vector<std::string>{"hold", "query_media_control", "run", "release"}));
  ASSERT_EQ(prompter.shown().size(), 1u);
  EXPECT_EQ(prompter.shown()[0].kind, ScriptedPrompter::Kind::YesCancel);
  EXPECT_EQ(prompter.shown()[0].text, "           Start enregistrement !           ");
  EXPECT_TRUE(cap->Capturing());
  EXPECT_FALSE(cap->Previewing());
  EXPECT_TRUE(scheduler.timer_enabled());
  EXPECT_EQ(events, std::vector<std::string>{"StartCapture"});
  EXPECT_EQ(read(path("captemp.avi")), "RIFF frames");
  // Already capturing: true, nothing done.
  backend.log.clear();
  EXPECT_TRUE(cap->StartCapture(true));
  EXPECT_TRUE(backend.log.empty());
}

TEST_F(EngineTest, DeclinedStartWritesNothingAndGoesBackToPreview) {
  struct Row {
    bool want_preview;
    bool previewing;
  } rows[] = {{true, true}, {false, false}};
  for (const auto& r : rows) {
    config.WantPreview = r.want_preview;
    apply();
    prompter.add_answer(false);
    EXPECT_FALSE(cap->StartCapture(true));
    EXPECT_FALSE(cap->Capturing());
    EXPECT_EQ(cap->Previewing(), r.previewing);
    EXPECT_FALSE(scheduler.timer_enabled());
    EXPECT_FALSE(fs::exists(path("captemp.avi")));
    EXPECT_EQ(backend.calls_starting("release").size(), 0u);
    EXPECT_EQ(backend.calls_starting("stop").size(), 1u);
    EXPECT_EQ(events, r.want_preview ? std::vector<std::string>{"StartPreview"} : std::vector<std::string>{});
  }
}

TEST_F(EngineTest, StartCaptureRefusalsAndFailures) {
  struct Row {
    const char* title;
    std::map<std::string, HResult> fail;
    std::vector<std::string> reports;
    std::size_t stops;  // the graph is stopped when a guarded step fails
  } rows[] = {
      {"no control", {{"query_media_control", E_NOINTERFACE}}, {"Error 80004002: Can't get IMediaControl!"}, 0},
      {"run", {{"run", E_FAIL}}, {"Error 80004005: Cannot run graph!"}, 1},
      {"pause", {{"hold", E_NOINTERFACE}, {"pause", E_ABORT}}, {"Error 80004004: Cannot run graph!"}, 1},
      {"run after pause", {{"hold", E_NOINTERFACE}, {"run", E_FAIL}}, {"Error 80004005: Cannot run graph!"}, 1},
  };
  for (const auto& r : rows) {
    config.WantPreview = false;  // the graph is built but stopped
    apply();
    backend.fail = r.fail;
    EXPECT_FALSE(cap->StartCapture(false)) << r.title;
    EXPECT_EQ(reports(), r.reports) << r.title;
    EXPECT_FALSE(cap->Capturing());
    EXPECT_FALSE(scheduler.timer_enabled());
    EXPECT_EQ(backend.calls_starting("stop").size(), r.stops) << r.title;
    EXPECT_TRUE(events.empty());
    backend.fail.clear();
  }
  // Without the file branch there is nothing to start.
  config.WantCapture = false;
  apply();
  EXPECT_FALSE(cap->StartCapture(false));
  EXPECT_TRUE(backend.calls_starting("run").empty());
}

TEST_F(EngineTest, UncontrollableFileBranchPausesThenRunsAfterTheQuestion) {
  config.WantPreview = false;
  apply();
  backend.fail["hold"] = E_NOINTERFACE;
  prompter.add_answer(true);
  ASSERT_TRUE(cap->StartCapture(true));
  EXPECT_EQ(without(backend.log, "enumerate"),
            (std::vector<std::string>{"hold", "query_media_control", "pause", "run"}));
}

TEST_F(EngineTest, StopCaptureMovesTheRecordingAndRestartsPreview) {
  std::ofstream(path("final.avi")) << "previous";
  apply();
  ASSERT_TRUE(cap->StartCapture(false));
  events.clear();
  backend.log.clear();
  ASSERT_TRUE(cap->StopCapture());
  EXPECT_EQ(read(path("final.avi")), "RIFF frames");
  EXPECT_FALSE(fs::exists(path("captemp.avi")));
  EXPECT_EQ(events, (std::vector<std::string>{"CaptureProgress", "StopCapture", "StartPreview"}));
  // The preview goes on: only the recording is ended, then the file branch is held again.
  EXPECT_EQ(without(backend.log, "enumerate"),
            (std::vector<std::string>{"query_media_control", "end_capture", "hold", "query_media_control", "run"}));
  EXPECT_TRUE(cap->Previewing());
  EXPECT_FALSE(cap->Capturing());
  EXPECT_FALSE(scheduler.timer_enabled());
  EXPECT_EQ(cap->RecordingFile(), path("final.avi"));
  EXPECT_FALSE(cap->StopCapture());  // not capturing any more
  // A dismantling leaves the saved recording alone.
  cap->DismantleGraph();
  EXPECT_TRUE(fs::exists(path("final.avi")));
}

TEST_F(EngineTest, StopCaptureWithoutPreviewStopsTheGraph) {
  config.WantPreview = false;
  apply();
  ASSERT_TRUE(cap->StartCapture(false));
  backend.log.clear();
  ASSERT_TRUE(cap->StopCapture());
  EXPECT_EQ(without(backend.log, "enumerate"), (std::vector<std::string>{"query_media_control", "stop"}));
  EXPECT_FALSE(cap->Previewing());
}

TEST_F(EngineTest, StopFailuresKeepTheFlags) {
  struct Row {
    bool capture;  // stop a capture (else a preview)
    std::string fail;
    std::string report;
  } rows[] = {
      {true, "end_capture", "Error 80004005: Cannot stop graph!"},
      {true, "query_media_control", "Error 80004005: Cannot stop graph!"},
      {false, "stop", "Error 80004005: Cannot stop preview graph!"},
      {false, "query_media_control", "Error 80004005: Cannot stop preview graph!"},
  };
  for (const auto& r : rows) {
    apply();
    if (r.capture) {
      ASSERT_TRUE(cap->StartCapture(false));
    }
    events.clear();
    backend.fail = {{r.fail, E_FAIL}};
    EXPECT_FALSE(r.capture ? cap->StopCapture() : cap->StopPreview());
    EXPECT_EQ(reports(), std::vector<std::string>{r.report});
    EXPECT_EQ(cap->Capturing(), r.capture);
    EXPECT_EQ(cap->Previewing(), !r.capture);
    EXPECT_TRUE(events.empty());
    backend.fail.clear();
    prompter.clear();
    if (r.capture) {
      EXPECT_TRUE(cap->StopCapture());
    }
  }
}

TEST_F(EngineTest, StopPreviewFiresWhilePreviewingIsStillTrue) {
  apply();
  bool seen = false;
  cap->OnStopPreview = [&](TVideoCapture& c) { seen = c.Previewing(); };
  ASSERT_TRUE(cap->StopPreview());
  EXPECT_TRUE(seen);
  EXPECT_FALSE(cap->Previewing());
  EXPECT_FALSE(cap->StopPreview());
}

TEST_F(EngineTest, TimeLimitStopsOnTheFirstTickAtOrPastIt) {
  struct Row {
    std::int32_t limit;
    int ticks_before_stop;  // ticks of 100 ms that report progress
  } rows[] = {{30, 299}, {1, 9}, {0, 0}};
  for (const auto& r : rows) {
    apply();
    cap->SetUseTimeLimit(true);
    cap->SetTimeLimit(r.limit);
    ASSERT_TRUE(cap->StartCapture(false));
    events.clear();
    int ticks = 0;
    while (cap->Capturing() && ticks < 1000) {
      scheduler.tick(100);
      ++ticks;
    }
    EXPECT_EQ(ticks, r.ticks_before_stop + 1) << r.limit;
    EXPECT_EQ(cap->CaptureTime(), static_cast<std::uint32_t>(ticks * 100));
    EXPECT_EQ(std::count(events.begin(), events.end(), "CaptureProgress"), r.ticks_before_stop + 1);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[events.size() - 3], "CaptureProgress");  // once, by the stop
    EXPECT_EQ(events[events.size() - 2], "StopCapture");
    EXPECT_EQ(events.back(), "StartPreview");
    EXPECT_TRUE(cap->Previewing());
    EXPECT_TRUE(fs::exists(path("final.avi")));
    fs::remove(path("final.avi"));
  }
}

TEST_F(EngineTest, CaptureTimeChangesOnlyOnTicks) {
  apply();
  scheduler.tick(100);
  const std::uint32_t before = cap->CaptureTime();
  ASSERT_TRUE(cap->StartCapture(false));
  scheduler.now += 5000;
  EXPECT_EQ(cap->CaptureTime(), before);
  scheduler.tick(100);
  EXPECT_EQ(cap->CaptureTime(), 5100u);
  ASSERT_TRUE(cap->StopCapture());
  scheduler.tick(100);  // the timer is off after a stop
  EXPECT_EQ(cap->CaptureTime(), 5100u);
}

TEST_F(EngineTest, TempFileNameWriteRetargetsTheWriter) {
  apply();
  EXPECT_EQ(backend.output_path(), path("captemp.avi"));
  cap->SetTempCaptureFileName("autre.avi");  // relative: beside the final file
  EXPECT_EQ(backend.output_path(), path("autre.avi"));
  cap->SetTempCaptureFileName(path("abs.avi"));
  EXPECT_EQ(backend.output_path(), path("abs.avi"));
  ASSERT_TRUE(cap->StartCapture(false));
  cap->SetTempCaptureFileName("late.avi");  // a running recording is finished where it began
  EXPECT_EQ(backend.output_path(), path("abs.avi"));
  ASSERT_TRUE(cap->StopCapture());
  EXPECT_EQ(read(path("final.avi")), "RIFF frames");
}

TEST_F(EngineTest, RelativeTempFileFollowsTheFinalFilesFolder) {
  // The configuration names no folder for the final file; the main window gives one later.
  config.CaptureFileName = "CXapture";
  apply();
  fs::create_directories(dir / "videos");
  const std::string final_name = path("videos/forage 2026-12-07.avi");
  cap->SetCaptureFileName(final_name);
  ASSERT_TRUE(cap->StartCapture(false));
  EXPECT_EQ(backend.output_path(), path("videos/captemp.avi"));
  ASSERT_TRUE(cap->StopCapture());
  EXPECT_EQ(read(final_name), "RIFF frames");
  EXPECT_FALSE(fs::exists("captemp.avi"));  // nothing in the current directory
}

TEST_F(EngineTest, RecordingThatCannotBeMovedIsKeptAndReported) {
  struct Row {
    const char* title;
    std::string final_name;
    bool final_is_folder;
  } rows[] = {
      {"final name is a folder", path("final.avi"), true},
      {"final folder missing", path("missing folder/final.avi"), false},
  };
  for (const auto& r : rows) {
    if (r.final_is_folder) fs::create_directories(r.final_name);
    apply();
    cap->SetCaptureFileName(r.final_name);
    ASSERT_TRUE(cap->StartCapture(false));
    // Never retargeted into a folder that does not exist: the recording would be lost.
    EXPECT_EQ(backend.output_path(), path("captemp.avi")) << r.title;
    events.clear();
    EXPECT_FALSE(cap->StopCapture());
    ASSERT_EQ(cap->KeptRecordings().size(), 1u);
    const std::string kept = *cap->KeptRecordings().begin();
    EXPECT_EQ(kept, path("captemp-1.avi"));  // set aside: the temporary name is used again
    EXPECT_EQ(read(kept), "RIFF frames");
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_NE(reports()[0].find(r.final_name), std::string::npos);
    EXPECT_NE(reports()[0].find(kept), std::string::npos);
    EXPECT_EQ(events, (std::vector<std::string>{"CaptureProgress", "StopCapture", "StartPreview"}));
    EXPECT_FALSE(cap->Capturing());
    // Neither the next recording under the temporary name nor a dismantling touches it.
    cap->SetCaptureFileName(path("next.avi"));
    ASSERT_TRUE(cap->StartCapture(false));
    ASSERT_TRUE(cap->StopCapture());
    cap->DismantleGraph();
    cap->ApplyConfig(&config);
    EXPECT_EQ(read(kept), "RIFF frames");
    EXPECT_EQ(read(path("next.avi")), "RIFF frames");
    cap.reset();
    fs::remove_all(r.final_name);
    fs::remove(kept);
    fs::remove(path("next.avi"));
    prompter.clear();
  }
}

class CrossDevice : public CaptureFiles {
 public:
  void rename(const std::string& from, const std::string& to, std::error_code& ec) override {
    if (fs::path(from).extension() != ".part") {
      ec = std::make_error_code(std::errc::cross_device_link);
      return;
    }
    CaptureFiles::rename(from, to, ec);
  }
};

TEST_F(EngineTest, RecordingMovesAcrossFileSystems) {
  make(std::make_unique<CrossDevice>());
  apply();
  ASSERT_TRUE(cap->StartCapture(false));
  ASSERT_TRUE(cap->StopCapture());
  EXPECT_EQ(read(path("final.avi")), "RIFF frames");
  EXPECT_FALSE(fs::exists(path("captemp.avi")));
  EXPECT_TRUE(reports().empty());
}

TEST_F(EngineTest, EmptyRecordingIsDeletedNotSaved) {
  struct Row {
    bool temp;
  } rows[] = {{true}, {false}};
  for (const auto& r : rows) {
    std::ofstream(path("final.avi")) << "previous";
    config.UseTempFile = r.temp;
    apply();
    backend.stats = CaptureStats{true, 0, 0, 0, 0};
    ASSERT_TRUE(cap->StartCapture(false));
    ASSERT_TRUE(cap->StopCapture());
    if (r.temp) {
      EXPECT_EQ(read(path("final.avi")), "previous");  // nothing replaced it
      EXPECT_FALSE(fs::exists(path("captemp.avi")));
    } else {
      EXPECT_FALSE(fs::exists(path("final.avi")));  // the unreadable file itself is gone
    }
    EXPECT_TRUE(reports().empty());
    backend.stats = CaptureStats{true, 25, 0, 0, 1};
  }
}

TEST_F(EngineTest, DismantlingDeletesTheTemporaryFileButNotARecording) {
  config.UseTempFile = false;
  apply();
  std::ofstream(path("captemp.avi")) << "left over";
  ASSERT_TRUE(cap->StartCapture(false));
  ASSERT_TRUE(cap->StopCapture());
  cap->DismantleGraph();
  EXPECT_FALSE(fs::exists(path("captemp.avi")));
  EXPECT_EQ(read(path("final.avi")), "RIFF frames");
  // A temporary name equal to the final one never costs the recording.
  config.TempCaptureFileName = path("final.avi");
  apply();
  ASSERT_TRUE(cap->StartCapture(false));
  ASSERT_TRUE(cap->StopCapture());
  cap->DismantleGraph();
  EXPECT_EQ(read(path("final.avi")), "RIFF frames");
}

TEST_F(EngineTest, FinalNameChosenDuringTheRecordingDecides) {
  apply();
  ASSERT_TRUE(cap->StartCapture(false));
  cap->SetCaptureFileName(path("renamed.avi"));
  ASSERT_TRUE(cap->StopCapture());
  EXPECT_TRUE(fs::exists(path("renamed.avi")));
  EXPECT_FALSE(fs::exists(path("final.avi")));
}

TEST_F(EngineTest, StartPreviewDuringCaptureHoldsTheFileBranchAgain) {
  apply();
  ASSERT_TRUE(cap->StartCapture(false));
  backend.log.clear();
  ASSERT_TRUE(cap->StartPreview());
  EXPECT_TRUE(cap->Previewing());
  EXPECT_TRUE(cap->Capturing());
  EXPECT_TRUE(backend.holding);
  EXPECT_TRUE(backend.calls_starting("add").empty());  // nothing built
}

TEST_F(EngineTest, ProgressHandlerFailureDoesNotBreakTheStop) {
  apply();
  ASSERT_TRUE(cap->StartCapture(false));
  cap->OnCaptureProgress = [](TVideoCapture&) { throw std::runtime_error("display"); };
  cap->OnStartCapture = [](TVideoCapture&) { throw std::runtime_error("display"); };
  EXPECT_TRUE(cap->StopCapture());
  EXPECT_TRUE(fs::exists(path("final.avi")));
  EXPECT_TRUE(cap->StartCapture(false));  // a throwing start handler is swallowed too
  EXPECT_TRUE(cap->Capturing());
}

}  // namespace
}  // namespace wellvue::test
