// The owner loop the tool and tests run the engine on: posted work in order on the owner thread,
// one wake-up per burst, timers that only fire while enabled.
#include "capture/gst/owner_loop.h"

#include <gtest/gtest.h>

#include <thread>

namespace wellvue::gst {
namespace {

TEST(OwnerQueue, WorkPostedFromAnotherThreadRunsInOrderOnTheOwner) {
  OwnerQueue q;
  int wakes = 0;
  q.set_wake([&] { ++wakes; });
  std::vector<int> seen;
  std::thread::id ran_on;
  std::thread poster([&] {
    for (int i = 0; i < 5; ++i)
      q.post([&, i] {
        seen.push_back(i);
        ran_on = std::this_thread::get_id();
      });
  });
  poster.join();
  EXPECT_EQ(wakes, 1);  // one wake-up for the whole burst
  EXPECT_EQ(q.drain(), 5);
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(ran_on, std::this_thread::get_id());
  q.post([] {});
  EXPECT_EQ(wakes, 2);
}

TEST(OwnerLoop, TimersFireOnlyWhileEnabledAndPostedWorkRuns) {
  OwnerLoop loop;
  int ticks = 0;
  auto timer = loop.create_timer(20, [&] { ++ticks; });
  loop.run_for(std::chrono::milliseconds(100));
  EXPECT_EQ(ticks, 0);
  timer->set_enabled(true);
  ASSERT_TRUE(loop.run_until([&] { return ticks >= 3; }, std::chrono::seconds(10)));
  timer->set_enabled(false);
  const int stopped = ticks;
  bool posted = false;
  std::thread([&] { loop.post([&] { posted = true; }); }).join();
  EXPECT_TRUE(loop.run_until([&] { return posted; }, std::chrono::seconds(10)));
  loop.run_for(std::chrono::milliseconds(100));
  EXPECT_EQ(ticks, stopped);
}

TEST(OwnerLoop, ADroppedTimerNeverFiresAgain) {
  OwnerLoop loop;
  int ticks = 0;
  {
    auto timer = loop.create_timer(10, [&] { ++ticks; });
    timer->set_enabled(true);
  }
  loop.run_for(std::chrono::milliseconds(100));
  EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace wellvue::gst
