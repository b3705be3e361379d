// The one time-code writer and reader against the layouts every caller used to build by hand,
// and the entry's lines as the SRT holds them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "util/srt_entry.h"
#include "util/time_code.h"

namespace wellvue {
namespace {

TEST(TimeCode, WritesAndReadsBackEveryLayout) {
  struct Case {
    std::uint64_t ms;
    const char* code;
  };
  const Case cases[] = {{0, "00:00:00,000"},
                        {1, "00:00:00,001"},
                        {59999, "00:00:59,999"},
                        {3599999, "00:59:59,999"},
                        {3600000, "01:00:00,000"},
                        {99 * 3600000ULL + 5, "99:00:00,005"},
                        {100 * 3600000ULL, "100:00:00,000"}};
  for (const Case& c : cases) {
    EXPECT_EQ(time_code_of_ms(c.ms), c.code);
    EXPECT_EQ(time_code_to_ms(c.code), static_cast<std::int64_t>(c.ms)) << c.code;
    // The seconds formatter gives the same text for the same moment.
    EXPECT_EQ(format_time_code(static_cast<double>(c.ms) / 1000.0), c.code);
  }
}

// The re-timing tool rounds seconds to the nearest millisecond; the link and the closing entries
// write whole milliseconds their clock already cut down (floor). Both kept: the same moment may
// read one millisecond apart between the two, as before.
TEST(TimeCode, EdgeValuesKeepEachCallersRounding) {
  struct Case {
    double seconds;
    const char* rounded;  // format_time_code
    const char* floored;  // time_code_of_ms of the floored milliseconds, negatives shown as zero
  };
  const Case cases[] = {
      {0, "00:00:00,000", "00:00:00,000"},       {0.0005, "00:00:00,001", "00:00:00,000"},
      {59.9995, "00:00:59,999", "00:00:59,999"}, {3599.9996, "01:00:00,000", "00:59:59,999"},
      {-1, "00:00:00,000", "00:00:00,000"},      {1e15, "277777777777:46:40,000", "277777777777:46:40,000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(format_time_code(c.seconds), c.rounded) << c.seconds;
    const double ms = std::floor(c.seconds * 1000.0);
    EXPECT_EQ(time_code_of_ms(ms < 0 ? 0 : static_cast<std::uint64_t>(ms)), c.floored) << c.seconds;
  }
  // Past what milliseconds can count, the seconds formatter stops at its ceiling instead of wrapping.
  EXPECT_EQ(format_time_code(1e300), "2562047788015:12:55,807");
  EXPECT_EQ(format_time_code(std::numeric_limits<double>::quiet_NaN()), "00:00:00,000");
}

TEST(TimeCode, ReadsNothingButOneWholeTimeCode) {
  for (const char* bad : {"", "00:00:00", "00:00:00.000", "0:0:00,000", ":00:00,000", "00:00:00,000 ", "00:0a:00,000",
                          "00-00-00,000", "1234567890123:00:00,000"})
    EXPECT_FALSE(time_code_to_ms(bad).has_value()) << bad;
  // Twelve digits of hours still fit.
  EXPECT_EQ(time_code_to_ms("999999999999:00:00,000"), 999999999999LL * 3600000);
}

// What the edge table above leaves out: not-a-number, a tie just above an odd count, the largest
// count of milliseconds, and the two readers agreeing on what the writers give.
TEST(TimeCode, EdgeMomentsLeftOutAbove) {
  EXPECT_EQ(format_time_code(std::nan("")), "00:00:00,000");
  EXPECT_EQ(format_time_code(0.0015), "00:00:00,002");
  EXPECT_EQ(time_code_of_ms(std::numeric_limits<std::uint64_t>::max()), "5124095576030:25:51,615");
  for (const char* code : {"00:00:00,000", "00:00:59,999", "01:00:00,000", "99:59:59,999"})
    EXPECT_DOUBLE_EQ(parse_time_code(code) * 1000, static_cast<double>(*time_code_to_ms(code))) << code;
}

TEST(SrtEntryLines, NumberTimeLineTextAndTheBlankLine) {
  const SrtEntry e{12, "00:00:01,000", "00:00:02,500", {"  1.25m", "second"}};
  EXPECT_EQ(e.lines(), (std::vector<std::string>{"12", "00:00:01,000 --> 00:00:02,500", "  1.25m", "second", ""}));
}

}  // namespace
}  // namespace wellvue
