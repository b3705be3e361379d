// The model alone: its own POSIX port on the simulated board, reads handed to an owner-thread
// queue, the depth reaching the model whether or not a view is attached.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "encoder/event_queue.h"
#include "sim_board.h"
#include "station/station_model.h"
#include "util/conversion_error.h"
#include "util/decimal_separator.h"
#include "util/scripted_prompter.h"
#include "util/settings_values.h"

namespace wellvue {
namespace {

struct DepthLines : LinkView {
  std::vector<std::string> shown;
  void set_text(Control c, const std::string& text) override {
    if (c == Control::MainLabel2) shown.push_back(text);
  }
};

TEST(StationModel, DepthFromTheBoardReachesTheModelWithAndWithoutAView) {
  SimBoard board;
  std::atomic<bool> stop{false};
  SimOptions sim;
  sim.period_ms = 50;
  sim.start = 240;  // ten turns
  sim.boot_ms = 200;
  std::thread runner([&] { board.run(sim, stop); });

  ScriptedPrompter prompter;
  EventQueue queue;
  {
    StationModel model(prompter);
    model.set_post(queue.sink());
    DepthLines view;
    model.set_link_view(&view);
    model.link().fields().ComboBox1_port_com = board.slave_path();
    model.link().fields().Edit_circ = "400";
    ASSERT_TRUE(model.link().Button1Click());

    ASSERT_TRUE(queue.run_until([&] { return !view.shown.empty(); }, std::chrono::seconds(20)));
    EXPECT_EQ(model.depth_text(), view.shown.back());
    EXPECT_GT(model.depth_state().tics, 0);
    EXPECT_DOUBLE_EQ(model.depth_state().metres_per_turn, 0.4);

    // Without a view the link goes on and the model still holds the depth.
    model.set_link_view(nullptr);
    const int polls = model.depth_state().poll_count;
    ASSERT_TRUE(queue.run_until([&] { return model.depth_state().poll_count > polls + 3; }, std::chrono::seconds(20)));
    EXPECT_NE(model.depth_text().find("m"), std::string::npos) << model.depth_text();

    // The recording's reset stands until the next line formats a depth again.
    model.set_depth_text("0.00 m");
    EXPECT_EQ(model.depth_text(), "0.00 m");
  }
  // The model closed its port: no completion is left to run on a dead model.
  EXPECT_FALSE(board.slave_open());
  stop = true;
  runner.join();
}

// The settings and every encoder line read the circumference with one parser; the settings alone
// also take the other decimal mark.
TEST(Circumference, TheSettingsAndTheLinesAgreeOnWhatIsTyped) {
  set_decimal_separator('.');
  for (const char* typed : {"405", "404", "40.3", " 397.5", "1e3"}) {
    EXPECT_DOUBLE_EQ(metres_per_turn_as_typed(typed), metres_per_turn_from_circumference(typed)) << typed;
  }
  EXPECT_DOUBLE_EQ(metres_per_turn_from_circumference("40,3"), 0.0403);
  EXPECT_THROW(metres_per_turn_as_typed("40,3"), ConversionError);
  EXPECT_THROW(metres_per_turn_as_typed("abc"), ConversionError);
}

}  // namespace
}  // namespace wellvue
