// wellvue-record writes the subtitles the station's windows write: one recording made through the
// main and link windows (offscreen, test-pattern camera, simulated board) and one by the tool, and
// the two SRT files keep the same layout.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>
#include <atomic>
#include <filesystem>
#include <thread>

#include "../../app/support/wait_until.h"
#include "../../util/temp_dir.h"
#include "app/link_window/tform1.h"
#include "app/main_window/main_form.h"
#include "app/main_window/station_backend.h"
#include "app/recording/station_recording.h"
#include "capture/gst/test_pattern_device.h"
#include "record_tool_command.h"
#include "recording_rig.h"
#include "sim_board.h"
#include "srt_layout.h"
#include "util/cp1252.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;

using testing::wait_until;

// Records `seconds` through the two windows into `folder` as P12.srt.
void record_through_the_windows(const fs::path& folder, int seconds) {
  SimBoard board;
  std::atomic<bool> stop_board{false};
  std::thread board_thread([&] { board.run(SimOptions{}, stop_board); });
  {
    ScriptedPrompter prompter;
    MainFormOptions mo;
    mo.screen_height = 1080;
    mo.quit_application = [](int) {};
    mo.end_process = [](int) {};
    TFormMain main(station_backend(true), prompter, mo);
    main.show();
    LinkWindowOptions lo;
    lo.executable_path = QString::fromStdString((folder.parent_path() / "wellvue").string());
    lo.system_ports = [&] { return std::vector<std::string>{board.slave_path()}; };
    lo.end_process = [](int) {};
    TForm1 link(&main, prompter, lo);
    main.set_video_folder(utf8_to_cp1252(folder.string()));
    main.Edit_nom_prefixe->setText("P12");
    main.CheckBox1->setChecked(false);
    TGraphConfig* c = main.config();
    main.engine().FillConfig(c);
    c->VideoSourceName = gst::kTestPatternName;
    main.engine().ApplyConfig(c);
    StationRecording recording(main, link, prompter);
    main.engine().OnCaptureProgress = [&](TVideoCapture&) { recording.capCaptureProgress(); };
    ASSERT_TRUE(wait_until([&] { return link.link().polling(); }));
    prompter.add_answer(true);  // zero
    prompter.add_answer(true);  // start
    ASSERT_TRUE(recording.btStartClick());
    QDeadlineTimer end(seconds * 1000);
    wait_until([&] { return end.hasExpired(); }, seconds * 1000 + 1000);
    recording.btStopClick();
    main.engine().OnCaptureProgress = nullptr;
  }
  stop_board = true;
  board.unplug();
  board_thread.join();
}

TEST(RecordTool, SubtitlesKeepTheLayoutOfTheStations) {
  test::TempDir dir;
  const fs::path station = dir.path() / "station", tool = dir.path() / "tool";
  fs::create_directories(station);
  fs::create_directories(tool);
  record_through_the_windows(station, 4);
  test::ChildRun run(test::record_tool({"--test-source", "--simulate-board", "--seconds", "4", "--folder",
                                        tool.string(), "--prefix", "P12", "--zero-counters", "yes"}),
                     dir.path() / "logs");
  ASSERT_EQ(run.wait(), 0) << run.err();

  const test::SrtLayout s = test::srt_layout(test::read_bytes(station / "P12.srt"));
  const test::SrtLayout t = test::srt_layout(test::read_bytes(tool / "P12.srt"));
  ASSERT_EQ(s.problem, "");
  ASSERT_EQ(t.problem, "");
  EXPECT_EQ(t.first, s.first);
  EXPECT_EQ(t.depths, s.depths);
  EXPECT_EQ(t.closing_depth, s.closing_depth);
  EXPECT_EQ(t.closing_span, s.closing_span);
  EXPECT_EQ(t.closing_span, "99:99:99,999 ... 99:99:99,999");
}

}  // namespace
}  // namespace wellvue
