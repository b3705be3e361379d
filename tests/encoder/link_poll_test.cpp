#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "link_rig.h"
#include "util/decimal_separator.h"

namespace wellvue::test {
namespace {

class Poll : public ::testing::TestWithParam<char> {
 protected:
  void SetUp() override {
    set_decimal_separator(GetParam());
    ASSERT_TRUE(rig.open());
  }
  char sep() const { return GetParam(); }
  LinkRig rig;
};

INSTANTIATE_TEST_SUITE_P(Separators, Poll, ::testing::Values(',', '.'),
                         [](const auto& info) { return info.param == ',' ? "comma" : "point"; });

struct DepthCase {
  const char* name;
  bool positive;
  int curb_zero, water_zero, start_cm;
  std::string bytes;
  int tics;
  std::string depth_text;  // with '.' for the separator
};

TEST_P(Poll, DepthTextsOfDecodedLines) {
  const DepthCase cases[] = {
      {"count_240", true, 0, -1, 0, "240|\r\n", 240, "4.04m      ---"},
      {"start_depth", true, 0, -1, 250, "241|\r\n", 241, "6.56m      ---"},
      {"digits_only_line_read_in_full", true, 0, -1, 0, "1234\r\n", 1234, "20.77m      ---"},
      {"negative_sense", false, 0, -1, 0, "48|\r\n", -48, "-0.81m      ---"},
      {"below_water_level", true, 0, 100, 0, "124|\r\n", 124, "2.09m    w_0.40m"},
      {"above_water_level", true, 0, 100, 0, "76|\r\n", 76, "1.28m      ---"},
      {"curb_zero", true, 1000, -1, 0, "1024|\r\n", 1024, "0.40m      ---"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto& s = rig.link.state();
    rig.link.fields().CheckBox3 = c.positive;
    s.curb_zero = c.curb_zero;
    s.water_zero = c.water_zero;
    s.start_depth_cm = c.start_cm;
    rig.send(c.bytes);
    EXPECT_EQ(s.tics, c.tics);
    EXPECT_EQ(rig.view.texts[Control::LinkLabel18], dec(c.depth_text, sep()));
    EXPECT_EQ(rig.view.texts[Control::MainLabel2], dec(c.depth_text, sep()));
    EXPECT_TRUE(rig.errors.empty());
  }
}

TEST_P(Poll, TwoLinesOfOneBurstShareThePollNumber) {
  rig.send("1234|\r\n1235|\r\n");
  const auto m2 = rig.memo(Memo::Memo2);
  ASSERT_GE(m2.size(), 2u);
  const std::string poll = std::to_string(rig.link.state().last_line_poll);
  EXPECT_EQ(m2[m2.size() - 2], poll + "  |    1234");
  EXPECT_EQ(m2.back(), "     |    1235");
  EXPECT_EQ(rig.link.state().tics, 1235);
  EXPECT_EQ(rig.view.texts[Control::LinkLabelTic], "1235");
  EXPECT_EQ(rig.view.texts[Control::MainLabelTic], "1235");
}

TEST_P(Poll, SameBurstTwiceIsDecodedOnce) {
  rig.send("500|\r\n");
  const std::size_t decoded = rig.memo(Memo::Memo4).size();
  rig.send("500|\r\n");
  EXPECT_EQ(rig.memo(Memo::Memo4).size(), decoded);
  rig.send("501|\r\n");
  EXPECT_EQ(rig.memo(Memo::Memo4).size(), decoded + 1);
}

// Reads as the reader hands them over, "" a silent one (the board paused for a whole time-out):
// the same lines again are decoded once, whether or not a pause came between.
TEST(RepeatedLines, SameLinesAfterAPauseAreDecodedOnce) {
  struct Case {
    const char* name;
    std::vector<std::string> reads;
    std::vector<std::string> decoded;  // number texts, in order
  };
  const Case cases[] = {
      {"repeat_after_a_pause", {"239|\r\n", "240|\r\n", "", "240|\r\n"}, {"239", "240"}},
      {"repeat_after_pauses_each_time", {"240|\r\n", "", "240|\r\n", "", "", "240|\r\n"}, {"240"}},
      {"repeat_without_pause", {"239|\r\n", "240|\r\n", "240|\r\n"}, {"239", "240"}},
      {"change_after_a_pause", {"239|\r\n", "240|\r\n", "", "241|\r\n", "", "240|\r\n"}, {"239", "240", "241", "240"}},
      {"two_lines_repeated_after_a_pause", {"1|\r\n", "2|\r\n3|\r\n", "", "2|\r\n3|\r\n"}, {"1", "2", "3"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LinkRig rig;
    for (const auto& read : c.reads) rig.link.Timer1Timer(read);
    std::vector<std::string> decoded;
    for (const auto& line : rig.memo(Memo::Memo2)) decoded.push_back(line.substr(line.rfind("|    ") + 5));
    EXPECT_EQ(decoded, c.decoded);
  }
}

TEST_P(Poll, LineCutBetweenTwoReadsIsDecodedWhole) {
  // A long silent time-out, so the pause between the two halves is never taken for the end.
  rig.link.fields().Edit9 = "1000";
  ASSERT_TRUE(rig.open());
  const std::size_t reads = rig.reads_with_bytes();
  rig.board.write_bytes("98");
  ASSERT_TRUE(rig.run_until([&] { return rig.reads_with_bytes() > reads; }));
  rig.board.write_bytes("76|\r\n");
  ASSERT_TRUE(rig.run_until([&] { return rig.link.state().tics == 9876; }));
  // No fragment was decoded on its own.
  for (const auto& l : rig.memo(Memo::Memo2)) {
    EXPECT_FALSE(l.size() >= 7 && l.compare(l.size() - 7, 7, "|    98") == 0) << l;
    EXPECT_FALSE(l.size() >= 7 && l.compare(l.size() - 7, 7, "|    76") == 0) << l;
  }
}

TEST_P(Poll, BoardWithoutLineEndsIsReadAfterSilence) {
  rig.send("321");
  EXPECT_TRUE(rig.run_until([&] { return rig.link.state().tics == 321; }));
}

TEST_P(Poll, LineWithoutDigitsKeepsTicsAndShowsStartDepth) {
  rig.send("100|\r\n");
  auto& s = rig.link.state();
  s.start_depth_cm = 150;
  s.depth_offset_m = 0.25;
  rig.send("abc|\r\n");
  EXPECT_EQ(s.tics, 100);
  EXPECT_EQ(rig.view.texts[Control::LinkLabel18], dec("1.75m      ---", sep()));
  EXPECT_EQ(rig.view.texts[Control::LinkLabel1], "");
}

struct FailingCase {
  const char* name;
  std::string bytes;
  std::string error;  // with '.' for the separator
};

TEST_P(Poll, ConversionErrorsEndThePollAtTheirLine) {
  const FailingCase cases[] = {
      {"decimal_count", "1,5|\r\n", "'1.5' n'est pas une valeur enti\xE8re correcte"},
      {"count_beyond_32_bits", "99999999999|\r\n", "'99999999999' n'est pas une valeur enti\xE8re correcte"},
      {"sign_only", "-|\r\n", "'-' n'est pas une valeur enti\xE8re correcte"},
  };
  rig.send("10|\r\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    rig.errors.clear();
    const std::string before = rig.link.state().previous_burst;
    rig.send(c.bytes + "11|\r\n");
    ASSERT_EQ(rig.errors.size(), 1u);
    EXPECT_EQ(rig.errors[0], dec(c.error, sep()));
    // The line after the failing one is not decoded, and the burst is not remembered.
    EXPECT_EQ(rig.link.state().tics, 10);
    EXPECT_EQ(rig.link.state().previous_burst, before);
  }
  // Polling goes on after the errors.
  rig.send("12|\r\n");
  EXPECT_EQ(rig.link.state().tics, 12);
}

TEST_P(Poll, SmallestCountWithNegativeSenseIsAnErrorNotAnOverflow) {
  rig.link.fields().CheckBox3 = false;
  rig.send("-2147483648|\r\n");
  ASSERT_EQ(rig.errors.size(), 1u);
  EXPECT_EQ(rig.errors[0], "'-2147483648' n'est pas une valeur enti\xE8re correcte");
  rig.link.fields().CheckBox3 = true;
  rig.send("-2147483648|\r\n");
  EXPECT_EQ(rig.link.state().tics, -2147483647 - 1);
  // A difference of two extreme counts does not wrap around.
  rig.link.state().curb_zero = 2147483647;
  rig.send("-2147483647|\r\n");
  EXPECT_EQ(rig.view.texts[Control::LinkLabel18].substr(0, 1), "-");
}

TEST_P(Poll, FieldsThatDoNotConvertFailEveryPoll) {
  rig.link.fields().Edit_circ = "4-04";
  rig.send("20|\r\n");
  ASSERT_FALSE(rig.errors.empty());
  EXPECT_EQ(rig.errors.back(), "'4-04' n'est pas une valeur en virgule flottante correcte");
  rig.link.fields().Edit_circ = "404";
  rig.link.fields().Edit13 = "x";
  rig.errors.clear();
  // Every poll now fails before it traces its read: only the errors show that polls go on.
  rig.board.write_bytes("21|\r\n");
  ASSERT_TRUE(rig.run_until([&] { return rig.errors.size() >= 3; }));
  EXPECT_EQ(rig.errors.back(), "'x' n'est pas une valeur enti\xE8re correcte");
  EXPECT_NE(rig.link.state().tics, 21);
}

TEST_P(Poll, OverlongGarbageIsDroppedWithATrace) {
  rig.send(std::string(5000, 'z'));
  bool traced = false;
  for (const auto& l : rig.memo(Memo::Memo1)) traced = traced || l.find("ligne sans fin ignor") == 0;
  EXPECT_TRUE(traced);
  rig.send("33|\r\n");
  EXPECT_EQ(rig.link.state().tics, 33);
}

TEST_P(Poll, UnpluggedBoardLeavesTheLinkRunning) {
  rig.send("7|\r\n");
  rig.board.unplug();
  EXPECT_TRUE(rig.run_until([&] { return rig.link.link_lost(); }));
  // The link waits for the board to come back instead of polling empty reads.
  const int polls = rig.link.state().poll_count;
  rig.queue.run_until([] { return false; }, std::chrono::milliseconds(500));
  EXPECT_EQ(rig.link.state().poll_count, polls);
  EXPECT_TRUE(rig.link.polling());
  EXPECT_EQ(rig.link.state().tics, 7);
  // Shown once; a "CloseCom" meanwhile does not make it look back.
  rig.link.close_without_pause();
  EXPECT_EQ(rig.view.link_lost, std::vector<bool>{true});
}

// An owner that handles nothing for a while: the reader stops once kMaxPending reads wait, and
// the polling takes up again as soon as the owner does.
TEST(PollBacklog, ReaderWaitsForABusyOwnerAndGoesOn) {
  LinkRig rig;
  rig.link.fields().Edit6 = "1";  // 1 ms interval and 1 ms silent reads: the backlog fills fast
  rig.link.fields().Edit9 = "1";
  ASSERT_TRUE(rig.open());
  // The reader runs ahead of the owner up to the bound...
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (rig.queue.size() < PollReader::kMaxPending && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(rig.queue.size(), PollReader::kMaxPending);
  // ...and no further.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(rig.queue.size(), PollReader::kMaxPending);
  rig.send_count(77);
  EXPECT_EQ(rig.link.state().tics, 77);
}

TEST(Diagnostics, ColumnsKeepTheirLastLines) {
  LinkRig rig;
  ASSERT_TRUE(rig.open());
  for (int i = 0; i < 5100; ++i) rig.link.Timer1Timer(std::string());
  EXPECT_EQ(rig.link.memo(Memo::Memo1).size(), kDiagnosticLines);
  EXPECT_EQ(rig.view.lines[Memo::Memo1].size(), kDiagnosticLines);
  EXPECT_EQ(rig.link.memo(Memo::Memo1).lines().back(), std::to_string(rig.link.state().poll_count) + " |  | 0");
}

}  // namespace
}  // namespace wellvue::test
