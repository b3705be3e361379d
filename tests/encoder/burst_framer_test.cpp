#include "encoder/burst_framer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wellvue {
namespace {

struct FramingCase {
  const char* name;
  std::vector<std::string> reads;  // successive reads; "" is a silent one
  std::vector<std::string> lines;  // complete lines handed over by each read
  std::string pending;             // left waiting at the end
};

class Framing : public ::testing::TestWithParam<FramingCase> {};

TEST_P(Framing, CutsReadsIntoCompleteLines) {
  const FramingCase& c = GetParam();
  BurstFramer f;
  ASSERT_EQ(c.reads.size(), c.lines.size());
  for (std::size_t i = 0; i < c.reads.size(); ++i) {
    EXPECT_EQ(f.push(c.reads[i]).lines, c.lines[i]) << "read " << i;
  }
  EXPECT_EQ(f.pending(), c.pending);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Framing,
    ::testing::Values(FramingCase{"one_line", {"1234|\r\n"}, {"1234|\r"}, "\n"},
                      FramingCase{"digits_only_keep_last_digit", {"1234\r\n"}, {"1234\r"}, "\n"},
                      FramingCase{"two_lines", {"1234|\r\n1235|\r\n"}, {"1234|\r\n1235|\r"}, "\n"},
                      FramingCase{"line_cut_by_read_end", {"12", "34|\r\n"}, {"", "1234|\r"}, "\n"},
                      FramingCase{"tail_completed_by_next_read", {"1|\r\n2", "|\r\n"}, {"1|\r", "\n2|\r"}, "\n"},
                      FramingCase{"no_line_end_then_silence", {"777", ""}, {"", "777\r"}, ""},
                      FramingCase{"line_feed_alone_is_no_line", {"5|\r\n", ""}, {"5|\r", ""}, ""},
                      FramingCase{"silence_with_nothing_waiting", {"", ""}, {"", ""}, ""},
                      FramingCase{"cr_lf_cr_lf", {"9|\r\n\r\n"}, {"9|\r\n\r"}, "\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FramingLimits, UnendedLineLongerThanTheLimitIsDropped) {
  BurstFramer f;
  const std::string garbage(kMaxPartialLine + 1, 'x');
  const FramedBurst r = f.push(garbage);
  EXPECT_EQ(r.dropped, garbage.size());
  EXPECT_TRUE(r.lines.empty());
  EXPECT_TRUE(f.pending().empty());
  // The stream goes on normally after the drop.
  EXPECT_EQ(f.push("42|\r\n").lines, "42|\r");
}

TEST(FramingLimits, LineUpToTheLimitIsKept) {
  BurstFramer f;
  const std::string chunk(kMaxPartialLine, '7');
  EXPECT_EQ(f.push(chunk).dropped, 0u);
  EXPECT_EQ(f.push("\r\n").lines, chunk + "\r");
}

}  // namespace
}  // namespace wellvue
