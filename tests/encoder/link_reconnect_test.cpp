// The encoder board unplugged and plugged in again, for real: the master side of its
// pseudo-terminal closes, and a new board appears behind the same link name.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "link_rig.h"
#include "util/decimal_separator.h"
#include "util/numbers.h"

namespace wellvue::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A link name like the simulated board's --link, re-pointed as a device that comes back would be.
class LinkName {
 public:
  LinkName() : dir_(fs::temp_directory_path() / ("wellvue-relink-" + std::to_string(::getpid()))) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~LinkName() { fs::remove_all(dir_); }
  std::string path() const { return (dir_ / "encoder").string(); }
  void point_to(const std::string& target) const {
    const fs::path fresh = dir_ / "encoder.new";
    fs::create_symlink(target, fresh);
    fs::rename(fresh, path());  // atomic, as udev replaces a link
  }

 private:
  fs::path dir_;
};

std::size_t lines_starting(const std::vector<std::string>& lines, const std::string& start) {
  return static_cast<std::size_t>(
      std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; }));
}

struct UnplugCase {
  const char* name;
  bool acquisition;        // a recording's subtitle acquisition runs
  bool stop_while_lost;    // the acquisition ends before the board is back
  const char* gap_ending;  // how the gap entry's text ends; nullptr: no gap entry
};

class Unplug : public ::testing::TestWithParam<UnplugCase> {};

TEST_P(Unplug, LossShownOnceThenTheSameNameReopensWithTheDepthGoingOn) {
  const UnplugCase& c = GetParam();
  set_decimal_separator(',');
  SystemClock real;  // the gap's duration is real time
  LinkRig rig(&real);
  LinkName name;
  name.point_to(rig.board.slave_path());
  rig.link.fields().ComboBox1_port_com = name.path();
  rig.link.main_fields().Edit_nom_forage = "P12";
  ASSERT_TRUE(rig.open());
  EXPECT_EQ(rig.link.reopen_name(), name.path());  // a name of the user's own stays as chosen
  if (c.acquisition) {
    rig.link.state().entry_number = -1;
    rig.link.state().poll_count = 0;
    rig.link.RadioGroup1Click(0);
  }
  rig.send_count(240);
  ASSERT_EQ(rig.link.state().tics, 240);
  const std::string depth = rig.view.texts[Control::LinkLabel18];
  ASSERT_EQ(depth, "4,04m      ---");

  // Unplugged: found within a second, shown, traced once, and the device let go.
  const std::string old_terminal = rig.board.slave_path();
  rig.board.unplug();
  ASSERT_TRUE(rig.run_until([&] { return rig.link.link_lost(); }, 1s));
  EXPECT_EQ(rig.view.link_lost, std::vector<bool>{true});
  // Another program's pseudo-terminal takes the freed number behind the unchanged name: it is
  // not the board, and the link leaves it alone.
  std::vector<std::unique_ptr<SimBoard>> others;
  while (others.size() < 8 && (others.empty() || others.back()->slave_path() != old_terminal))
    others.push_back(std::make_unique<SimBoard>());
  rig.queue.run_until([] { return false; }, 1500ms);  // a second and a half without the board
  const std::string lost_line =
      "encodeur d\xE9"
      "connect\xE9 : " +
      name.path();
  EXPECT_EQ(lines_starting(rig.memo(Memo::Memo3), lost_line), 1u);
  EXPECT_EQ(lines_starting(rig.memo(Memo::Memo1), lost_line), 1u);
  // No polls while the board is away: no line per empty read climbing in the column.
  const int polls = rig.link.state().poll_count;
  rig.queue.run_until([] { return false; }, 300ms);
  EXPECT_EQ(rig.link.state().poll_count, polls);
  EXPECT_FALSE(rig.port.is_open());
  EXPECT_TRUE(rig.link.link_lost());
  for (const auto& other : others) EXPECT_FALSE(other->slave_open()) << other->slave_path();
  EXPECT_TRUE(rig.link.polling());
  if (c.stop_while_lost) rig.link.RadioGroup1Click(1);

  // A new board behind the same name: taken up by itself, without "OpenCom".
  SimBoard again;
  name.point_to(again.slave_path());
  ASSERT_TRUE(rig.run_until([&] { return !rig.link.link_lost(); }, 5s));
  EXPECT_EQ(rig.view.link_lost, (std::vector<bool>{true, false}));
  EXPECT_EQ(lines_starting(rig.memo(Memo::Memo3), "encodeur reconnect\xE9 : " + name.path()), 1u);
  EXPECT_EQ(rig.link.state().open_count, 1);
  ASSERT_TRUE(again.wait_slave_open(2000));

  // The new board counts from zero: the depth goes on from where it was.
  auto write = [&](const std::string& bytes) {
    const std::size_t before = rig.reads_with_bytes();
    ASSERT_GT(again.write_bytes(bytes), 0);
    ASSERT_TRUE(rig.run_until([&] { return rig.reads_with_bytes() > before; }));
  };
  write("0|\r\n");
  EXPECT_EQ(rig.link.state().tics, 240);
  EXPECT_EQ(rig.view.texts[Control::LinkLabel18], depth);
  write("24|\r\n");
  EXPECT_EQ(rig.link.state().tics, 264);

  const auto entries = entries_of(rig.link.track());
  std::vector<const TrackEntry*> gaps;
  for (const auto& e : entries) {
    if (e.text[0].rfind("liaison encodeur perdue ", 0) == 0) gaps.push_back(&e);
  }
  if (!c.gap_ending) {
    EXPECT_TRUE(gaps.empty());
    return;
  }
  expect_track_in_order(entries);
  for (std::size_t k = 1; k < entries.size(); ++k) {
    EXPECT_EQ(std::stoi(entries[k].number), std::stoi(entries[k - 1].number) + 1);
  }
  ASSERT_EQ(gaps.size(), 1u);
  const TrackEntry& gap = *gaps[0];
  ASSERT_EQ(gap.text.size(), 1u);
  const std::string& text = gap.text[0];
  EXPECT_EQ(text.substr(text.size() - std::string(c.gap_ending).size()), c.gap_ending) << text;
  // The duration, then the moments the link went and came back (or the acquisition ended).
  std::string duration = text.substr(24, text.find(" s (") - 24);
  std::replace(duration.begin(), duration.end(), ',', '.');
  const double seconds = read_decimal(duration).value_or(-1);
  EXPECT_GE(seconds, 1.5) << text;
  EXPECT_GE(gap.end - gap.start, 1500);
  EXPECT_NE(text.find(" \xE0 "), std::string::npos) << text;
  if (!c.stop_while_lost) {
    // The depth entries after the gap show the depth going on.
    EXPECT_EQ(entries.back().text[0], "P12" + std::string(35, ' ') + "4,44m      ---");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Unplug,
                         ::testing::Values(UnplugCase{"during_a_recording", true, false,
                                                      "), profondeur \xE0 v\xE9rifier"},
                                           UnplugCase{"recording_ends_while_away", true, true,
                                                      ", non r\xE9tablie), profondeur \xE0 v\xE9rifier"},
                                           UnplugCase{"no_recording", false, false, nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wellvue::test
