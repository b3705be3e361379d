// The one time-code writer and reader against the layouts every caller used to build by hand,
// and the entry's lines as the SRT holds them.
#include <gtest/gtest.h>

#include "util/srt_entry.h"
#include "util/time_code.h"

namespace wellvue {
namespace {

TEST(TimeCode, WritesAndReadsBackEveryLayout) {
  struct Case {
    std::uint64_t ms;
    const char* code;
  };
  const Case cases[] = {{0, "00:00:00,000"},          {1, "00:00:00,001"},
                        {59999, "00:00:59,999"},      {3599999, "00:59:59,999"},
                        {3600000, "01:00:00,000"},    {99 * 3600000ULL + 5, "99:00:00,005"},
                        {100 * 3600000ULL, "100:00:00,000"}};
  for (const Case& c : cases) {
    EXPECT_EQ(time_code_of_ms(c.ms), c.code);
    EXPECT_EQ(time_code_to_ms(c.code), static_cast<std::int64_t>(c.ms)) << c.code;
    // The seconds formatter gives the same text for the same moment.
    EXPECT_EQ(format_time_code(static_cast<double>(c.ms) / 1000.0), c.code);
  }
}

TEST(TimeCode, ReadsNothingButOneWholeTimeCode) {
  for (const char* bad : {"", "00:00:00", "00:00:00.000", "0:0:00,000", ":00:00,000", "00:00:00,000 ",
                          "00:0a:00,000", "00-00-00,000", "1234567890123:00:00,000"})
    EXPECT_FALSE(time_code_to_ms(bad).has_value()) << bad;
  // Twelve digits of hours still fit.
  EXPECT_EQ(time_code_to_ms("999999999999:00:00,000"), 999999999999LL * 3600000);
}

TEST(SrtEntryLines, NumberTimeLineTextAndTheBlankLine) {
  const SrtEntry e{12, "00:00:01,000", "00:00:02,500", {"  1.25m", "second"}};
  EXPECT_EQ(e.lines(), (std::vector<std::string>{"12", "00:00:01,000 --> 00:00:02,500", "  1.25m", "second", ""}));
}

}  // namespace
}  // namespace wellvue
