// The model alone: its own POSIX port on the simulated board, reads handed to an owner-thread
// queue, the depth reaching the model whether or not a view is attached.
#include <gtest/gtest.h>

#include <unistd.h>
#include <atomic>
#include <chrono>
#include <filesystem>
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
  }
  // The model closed its port: no completion is left to run on a dead model.
  EXPECT_FALSE(board.slave_open());
  stop = true;
  runner.join();
}

// Without any window: an open runs off the owner thread, the presses made meanwhile run after it
// in their order, and the settings file round-trips the link's own values.
TEST(StationModel, OpensInTheBackgroundWithPressesQueuedAndKeepsTheSettings) {
  SimBoard board;
  std::atomic<bool> stop{false};
  SimOptions sim;
  sim.period_ms = 50;
  sim.boot_ms = 200;
  std::thread runner([&] { board.run(sim, stop); });

  ScriptedPrompter prompter;
  EventQueue queue;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("wellvue-model-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  {
    StationModel model(prompter);
    model.set_post(queue.sink());
    model.link().fields().ComboBox1_port_com = board.slave_path();
    std::vector<std::string> order;
    std::vector<bool> shown;
    model.set_opening_shown([&](bool on) { shown.push_back(on); });
    model.open_port([&](bool completed) { order.push_back(completed ? "opened" : "failed"); });
    EXPECT_TRUE(model.opening());
    model.once_opened([&] { order.push_back("after"); });
    model.close_port();
    ASSERT_TRUE(queue.run_until([&] { return !model.opening() && order.size() == 2; }, std::chrono::seconds(20)));
    EXPECT_EQ(order, (std::vector<std::string>{"opened", "after"}));
    EXPECT_EQ(shown, (std::vector<bool>{true, false}));
    EXPECT_FALSE(model.link().polling());  // the close pressed during the open came after it

    model.set_settings_location({folder / "wellvue.ini", folder / "videos", true});
    SettingsValues values;
    values.positive_count = false;
    values.text_start_code = "65";
    values.padding_blanks = "12";
    values.port_index = 2;
    values.circumference = "398";
    SettingsLines written;
    ASSERT_TRUE(model.save_settings(values, written).ok);
    model.apply_link_settings(SettingsValues{});
    SettingsValues read;
    model.read_settings(model.settings_file_lines(), read);
    EXPECT_EQ(model.settings_file_lines(), written);
    EXPECT_FALSE(model.link().fields().CheckBox3);
    EXPECT_EQ(model.link().fields().Edit13, "65");
    EXPECT_EQ(model.link().fields().Edit14, "12");
    EXPECT_EQ(model.link().fields().Edit_circ, "398");
    EXPECT_EQ(model.depth_state().port_index, 2);
    EXPECT_EQ(model.depth_state().baud_index, kSettingsBaudIndex);
  }
  std::filesystem::remove_all(folder);
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
