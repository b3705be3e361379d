#include "util/text.h"

#include <gtest/gtest.h>

#include "separator_guard.h"

namespace wellvue {
namespace {

using test::SeparatorGuard;
using test::with_sep;

TEST(TextTest, ZeroPaddedNumbers) {
  struct Case {
    unsigned long long n;
    const char* two;
    const char* three;
  };
  const Case cases[] = {{0, "00", "000"},    {7, "07", "007"},    {12, "12", "012"},    {59, "59", "059"},
                        {123, "123", "123"}, {999, "999", "999"}, {1234, "1234", "234"}};
  for (const auto& c : cases) {
    EXPECT_EQ(two_digits(c.n), c.two) << c.n;
    EXPECT_EQ(three_digits(c.n), c.three) << c.n;
  }
}

TEST(TextTest, Trimming) {
  struct Case {
    const char* in;
    const char* right;
    const char* left;
    const char* both;
  };
  const Case cases[] = {
      {"  12  ", "  12", "12  ", "12"},
      {"   ", "", " ", ""},
      {"", "", "", ""},
      {"a b", "a b", "a b", "a b"},
      {"\t x \t", "\t x \t", "\t x \t", "\t x \t"},  // only the blank counts
      {" x", " x", "x", "x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(trim_right_blanks(c.in), c.right) << '[' << c.in << ']';
    EXPECT_EQ(trim_left_blanks(c.in), c.left) << '[' << c.in << ']';
    EXPECT_EQ(trim_blanks(c.in), c.both) << '[' << c.in << ']';
  }
}

TEST(TextTest, LongTextsHaveNoLengthLimit) {
  const std::string body = repeat_char('x', 1000);
  const std::string padded = repeat_char(' ', 300) + body + repeat_char(' ', 300);
  EXPECT_EQ(trim_blanks(padded), body);
  EXPECT_EQ(count_char(' ', padded), 600u);
  EXPECT_EQ(pad_right(body, 1300).size(), 1300u);
  EXPECT_EQ(bar_field(body + "|1", 1), body);
}

TEST(TextTest, PaddingRepeatingCounting) {
  EXPECT_EQ(pad_right("abc", 2), "abc");
  EXPECT_EQ(pad_right("abc", 5), "abc  ");
  EXPECT_EQ(repeat_char('-', 0), "");
  EXPECT_EQ(repeat_char('\xa0', 3), "\xa0\xa0\xa0");
  EXPECT_EQ(count_char(':', "00:00:05,250"), 2u);
}

TEST(TextTest, ReplaceCharacters) {
  std::string s = "06-12-2026 17-19-33";
  replace_first_char('-', 'h', s);
  replace_first_char('-', ':', s);
  EXPECT_EQ(s, "06h12:2026 17-19-33");
  replace_all_char('-', '_', s);
  EXPECT_EQ(s, "06h12:2026 17_19_33");
  std::string none = "abc";
  replace_first_char('z', 'y', none);
  EXPECT_EQ(none, "abc");
}

TEST(TextTest, SeparatorRoutinesUnderBothSeparators) {
  struct Case {
    const char* in;
    const char* filtered;
    const char* locale;
  };
  // Expected texts use '.' for the separator of the run.
  const Case cases[] = {
      {"ab12.5x", "12.5", "ab12.5x"},
      {"40,3", "40.3", "40.3"},
      {"1234|", "1234", "1234|"},
      {"-12 cm", "-12", "-12 cm"},
      {"+4.5,6", "+4.5.6", "+4.5.6"},
      {"abc", "", "abc"},
      {"", "", ""},
      {"\r\n", "", "\r\n"},
  };
  for (char sep : {',', '.'}) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases) {
      EXPECT_EQ(numeric_filter(c.in), with_sep(c.filtered, sep)) << c.in << " sep " << sep;
      std::string t = c.in;
      to_locale_separator(t);
      EXPECT_EQ(t, with_sep(c.locale, sep)) << c.in << " sep " << sep;
    }
  }
}

TEST(TextTest, ToDotSeparator) {
  struct Case {
    char sep;
    const char* in;
    const char* out;
  };
  const Case cases[] = {{',', "40,3", "40.3"}, {'.', "40,3", "40,3"}, {'.', "40.3", "40.3"}, {',', "1,2,3", "1.2.3"}};
  for (const auto& c : cases) {
    SeparatorGuard guard(c.sep);
    std::string t = c.in;
    to_dot_separator(t);
    EXPECT_EQ(t, c.out) << c.in << " sep " << c.sep;
  }
}

TEST(TextTest, ExtractField) {
  struct Case {
    const char* text;
    int k;
    char c;
    const char* field;
  };
  const Case cases[] = {
      {"123|456", 1, '|', "123"}, {"123|456", 2, '|', "456"}, {"|||42||", 1, '|', "42"},
      {"123|456", 3, '|', ""},    {"123|456", 9, '|', ""},    {"", 1, '|', "_extraitUTIL<>"},
      {"|", 1, '|', ""},          {"  7  |x", 1, '|', "7"},   {"00:00:5,250 ", 3, ':', "5,250"},
      {"a;b;;c", 3, ';', "c"},    {"abc", 0, '|', ""},
  };
  for (const auto& c : cases) EXPECT_EQ(extract_field(c.text, c.k, c.c), c.field) << c.text << " k=" << c.k;
}

TEST(TextTest, BarField) {
  struct Case {
    const char* line;
    const char* field;
  };
  const Case cases[] = {{"", ""},           {"240|", "240"},     {"240|\r", "240"}, {"\n240|12|", "\n240"},
                        {"  -3 | 5", "-3"}, {"no bar", "no bar"}};
  for (const auto& c : cases) EXPECT_EQ(bar_field(c.line, 1), c.field) << c.line;
}

}  // namespace
}  // namespace wellvue
