#include "subtitles/time_codes.h"

#include <gtest/gtest.h>

#include "../util/separator_guard.h"
#include "util/conversion_error.h"

namespace wellvue {
namespace {

using test::SeparatorGuard;

const char kSeparators[] = {',', '.'};

TEST(TimeCodesTest, ParseUnderBothSeparators) {
  struct Case {
    const char* text;
    double seconds;
  };
  const Case cases[] = {
      {"00:00:05,250", 5.25},       {"00:00:05,25", -1},  // 11 characters
      {"00:00:05.250", -1},                               // position 9 must be a comma
      {"00-00-05,250", -1},         {"", -1},
      {"99:59:59,999", 359999.999}, {"00:75:30,000", 4530},                  // no range check
      {"01:01:01,250", 3661.25},    {"00:00:01,500 --> 00:00:02,500", 1.5},  // a whole time line gives its start
      {"100:00:00,000", -1},   // three-digit hours no longer fit the layout
      {"00:00: 5,250", 5.25},  // the runtime conversion allows leading blanks
      {"00:00:00,000", 0},
  };
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(parse_time_code(c.text), c.seconds) << c.text << " sep " << sep;
  }
}

TEST(TimeCodesTest, ParseRaisesTheConversionErrorOfTheOffendingField) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"0a:00:05,250", "'0a' n'est pas une valeur enti\xe8re correcte"},
      {"00:x0:05,250", "'x0' n'est pas une valeur enti\xe8re correcte"},
      {"00:00:ab,250", "'ab,250' n'est pas une valeur en virgule flottante correcte"},
      {"00:00:05,2.0", "'05,2.0' n'est pas une valeur en virgule flottante correcte"},
      {"00:00:0.,250", "'0.,250' n'est pas une valeur en virgule flottante correcte"},
      {"  :00:05,250", "'  ' n'est pas une valeur enti\xe8re correcte"},
  };
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases) {
      try {
        parse_time_code(c.text);
        ADD_FAILURE() << "accepted " << c.text;
      } catch (const ConversionError& e) {
        EXPECT_EQ(e.what(), std::string(c.message)) << c.text << " sep " << sep;
      }
    }
  }
}

TEST(TimeCodesTest, Format) {
  struct Case {
    double seconds;
    const char* text;
  };
  const Case cases[] = {
      {0, "00:00:00,000"},       {1.5, "00:00:01,500"},
      {3661.25, "01:01:01,250"}, {0.0625, "00:00:00,062"},  // 62.5 ms exactly: to the even neighbour
      {0.1875, "00:00:00,188"},                             // 187.5 ms exactly: to the even neighbour
      {0.0005, "00:00:00,001"},                             // the double lies just above half a millisecond
      {0.0015, "00:00:00,002"},  {359999.999, "99:59:59,999"},
      {360000, "100:00:00,000"}, {4530, "01:15:30,000"},
      {59.9996, "00:01:00,000"}, {-1, "00:00:00,000"},
      {-0.0004, "00:00:00,000"}, {std::numeric_limits<double>::quiet_NaN(), "00:00:00,000"},
  };
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases) EXPECT_EQ(format_time_code(c.seconds), c.text) << c.seconds;
  }
}

TEST(TimeCodesTest, HugeTimesStillGiveATimeCode) {
  const std::string text = format_time_code(1e300);
  EXPECT_GT(text.size(), 12u);
  EXPECT_EQ(text[text.size() - 4], ',');
  EXPECT_EQ(text[text.size() - 7], ':');
  EXPECT_EQ(text[text.size() - 10], ':');
  EXPECT_EQ(format_time_code(std::numeric_limits<double>::infinity()), text);
}

TEST(TimeCodesTest, FormatThenParseRoundTrips) {
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    for (int ms = 0; ms < 360000000; ms += 7919 * 13) {
      const std::string code = format_time_code(ms / 1000.0);
      EXPECT_DOUBLE_EQ(parse_time_code(code), ms / 1000.0) << code;
    }
  }
}

TEST(TimeCodesTest, NormalizeDuration) {
  struct Case {
    const char* typed;
    const char* code;
    double seconds;
  };
  const Case cases[] = {
      {"7", "00:00:07,000", 7},
      {"45", "00:00:45,000", 45},
      {" 45 ", "00:00:45,000", 45},
      {"3:07", "00:03:07,000", 187},
      {"12:30", "00:12:30,000", 750},
      {"1:02:03", "1:02:03", -1},
      {"123", "123", -1},
      {"12:3", "012:3", -1},
      {"00:12:00,000", "00:12:00,000", 720},
      {"", "", -1},
  };
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases) {
      EXPECT_EQ(normalize_duration(c.typed), c.code) << '[' << c.typed << ']';
      EXPECT_DOUBLE_EQ(parse_time_code(normalize_duration(c.typed)), c.seconds) << c.typed;
    }
  }
}

TEST(TimeCodesTest, NormalizeTimeLine) {
  struct Case {
    const char* line;
    const char* repaired;
  };
  const Case cases[] = {
      {"00:00:5,250 --> 00:00:6 500", "00:00:05,250 --> 00:00:06,500"},
      {"00:00:05,250 --> 00:00:06,500", "00:00:05,250 --> 00:00:06,500"},
      {"00:00:05\xa0"
       "250 --> 00:00:06\xa0"
       "500",
       "00:00:05,250 --> 00:00:06,500"},
      {"00:00:05,250 --> 00:00:06,500 trailing", "00:00:05,250 --> 00:00:06,500"},
      {"12:34:5,250 --> 12:34:6,500", "12:34:05,250 --> 12:34:06,500"},
      {"no separator", "no separator"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(normalize_time_line(c.line), c.repaired) << c.line;
}

TEST(TimeCodesTest, ScaleTimeLine) {
  struct Case {
    const char* line;
    double factor;
    const char* scaled;
  };
  const Case cases[] = {
      {"00:01:00,000 --> 00:02:00,000", 0.5, "00:00:30,000 --> 00:01:00,000"},
      {"00:00:10,000 --> 00:00:20,000", 750.0 / 720.0, "00:00:10,417 --> 00:00:20,833"},
      {"00:00:10,000 --> 00:00:20,000", -1, "00:00:00,000 --> 00:00:00,000"},
      {"00:00:10,000 --> garbage", 2, "00:00:20,000 --> 00:00:00,000"},
      {"short", 2, "00:00:00,000 --> 00:00:00,000"},
  };
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases) EXPECT_EQ(scale_time_line(c.line, c.factor), c.scaled) << c.line;
  }
}

TEST(TimeCodesTest, ShiftTimeLine) {
  struct Case {
    const char* line;
    double amount;
    const char* shifted;
  };
  const Case cases[] = {
      {"00:00:01,500 --> 00:00:02,500", 2, "00:00:01,500 --> 00:00:01,500"},
      {"00:00:01,500 --> 00:00:02,500", -2, "00:00:03,500 --> 00:00:04,500"},
      {"00:00:05,000 --> 00:00:07,000", 5, "00:00:00,000 --> 00:00:02,000"},
      {"00:00:05,000 --> 00:00:07,000", -1, "00:00:06,000 --> 00:00:08,000"},  // dt of an unreadable code
      {"00:00:05,000 --> 00:00:07,000", 0, "00:00:05,000 --> 00:00:07,000"},
      {"00:00:07,000 --> 00:00:05,000", 0, "00:00:07,000 --> 00:00:07,000"},
  };
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases) EXPECT_EQ(shift_time_line(c.line, c.amount), c.shifted) << c.line << " by " << c.amount;
  }
}

TEST(TimeCodesTest, LineTransformsRaiseOnBadFields) {
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    EXPECT_THROW(scale_time_line("00:00:01,500 --> 00:0x:02,500", 2), ConversionError);
    EXPECT_THROW(shift_time_line("00:00:xx,500 --> 00:00:02,500", 2), ConversionError);
  }
}

}  // namespace
}  // namespace wellvue
