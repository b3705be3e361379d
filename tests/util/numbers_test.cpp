#include "util/numbers.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "french_locale.h"
#include "separator_guard.h"
#include "util/conversion_error.h"

namespace wellvue {
namespace {

using test::SeparatorGuard;
using test::with_sep;

const char kSeparators[] = {',', '.'};

TEST(NumbersTest, ParseIntAccepts) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {{"0", 0},
                        {"42", 42},
                        {"  42  ", 42},
                        {"-7", -7},
                        {"+7", 7},
                        {"007", 7},
                        {"2147483647", 2147483647},
                        {"-2147483648", -2147483647 - 1},
                        {"\t160", 160},
                        {"00000000000000000000001", 1}};
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases) EXPECT_EQ(parse_int(c.text), c.value) << c.text;
  }
}

TEST(NumbersTest, ParseIntRejectsWithTheOffendingText) {
  const char* cases[] = {"",    " ",    "-",   "12a",        "1,5",         "1.5",
                         "1 2", "0x10", "$10", "2147483648", "-2147483649", "99999999999999999999999",
                         "+-1"};
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    for (const char* text : cases) {
      try {
        parse_int(text);
        ADD_FAILURE() << "accepted " << text;
      } catch (const ConversionError& e) {
        EXPECT_EQ(e.what(), "'" + std::string(text) + "' n'est pas une valeur enti\xe8re correcte");
      }
    }
  }
}

TEST(NumbersTest, ParseFloatUnderBothSeparators) {
  struct Case {
    const char* text;
    double value;
  };  // '.' stands for the separator of the run
  const Case cases[] = {{"5.25", 5.25},   {" 405 ", 405},  {"-0.5", -0.5},  {"+2.", 2}, {".5", 0.5},
                        {"05.250", 5.25}, {"1.5E3", 1500}, {"2e-3", 0.002}, {"0", 0}};
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases) {
      const std::string text = with_sep(c.text, sep);
      EXPECT_DOUBLE_EQ(parse_float(text), c.value) << text;
    }
  }
}

TEST(NumbersTest, ParseFloatRejectsTheOtherMark) {
  struct Case {
    char sep;
    const char* text;
  };
  const Case cases[] = {{',', "05.250"}, {'.', "05,250"}, {',', "1,2,3"}, {'.', "1.2.3"},  {',', ""},
                        {'.', "abc"},    {',', "1e"},     {'.', "1e400"}, {',', "1e-400"}, {',', "-"},
                        {'.', "."},      {',', "1 000"},  {'.', "nan"},   {',', "inf"},    {'.', "12a"}};
  for (const auto& c : cases) {
    SeparatorGuard guard(c.sep);
    try {
      parse_float(c.text);
      ADD_FAILURE() << "accepted " << c.text << " sep " << c.sep;
    } catch (const ConversionError& e) {
      EXPECT_EQ(e.what(), "'" + std::string(c.text) + "' n'est pas une valeur en virgule flottante correcte");
    }
  }
}

TEST(NumbersTest, FormatPatternRoundsHalvesAwayFromZeroOnTheDecimalValue) {
  struct Case {
    double v;
    const char* pattern;
    const char* text;
  };  // '.' = separator
  const Case cases[] = {
      {4.04, "0.00m", "4.04m"},
      {0.125, "0.00", "0.13"},
      {2.675, "0.00", "2.68"},  // binary 2.67499999... but typed 2.675
      {1.005, "0.00", "1.01"},
      {-0.125, "0.00", "-0.13"},
      {-2.5, "0", "-3"},
      {2.5, "0", "3"},
      {0.5, " 0", " 1"},
      {9.995, "0.00", "10.00"},
      {99.96, " 0.0 s", " 100.0 s"},
      {-0.001, "0.00", "0.00"},  // no minus zero
      {-0.0, "0.00", "0.00"},
      {12.3456, " 0.00 m", " 12.35 m"},
      {-12.3456, " 0.00 m", " -12.35 m"},
      {3, " 0 mn ", " 3 mn "},
      {0.04, "0.0", "0.0"},
      {1e15, "0", "1000000000000000"},
      {123456.5, "0", "123457"},
      {0.00001, "0.00", "0.00"},
      {1.5, "0.##", "1.5"},
      {1.0, "0.##", "1"},
      {0.25, "#.00", ".25"},
  };
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases)
      EXPECT_EQ(format_pattern(c.v, c.pattern), with_sep(c.text, sep))
          << c.v << " with " << c.pattern << " sep " << sep;
  }
}

TEST(NumbersTest, FormatPatternNonFinite) {
  EXPECT_EQ(format_pattern(std::numeric_limits<double>::quiet_NaN(), "0.00"), "NAN");
  EXPECT_EQ(format_pattern(std::numeric_limits<double>::infinity(), "0.00"), "INF");
  EXPECT_EQ(format_pattern(-std::numeric_limits<double>::infinity(), "0.00"), "-INF");
}

TEST(NumbersTest, GeneralNumberText) {
  struct Case {
    double v;
    const char* text;
  };  // '.' = separator
  const Case cases[] = {
      {750.0 / 720.0, "1.04166666666667"},
      {750, "750"},
      {720, "720"},
      {-1, "-1"},
      {0, "0"},
      {1.25, "1.25"},
      {0.1, "0.1"},
      {1.0 / 3.0, "0.333333333333333"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},
      {0.00001, "0.00001"},
      {0.0000015, "1.5E-6"},
      {-2.5e20, "-2.5E20"},
      {99999999999999.99, "100000000000000"},  // 15 digits carry over
      {2.5e-5, "0.000025"},
  };
  for (char sep : kSeparators) {
    SeparatorGuard guard(sep);
    for (const auto& c : cases) EXPECT_EQ(general_number_text(c.v), with_sep(c.text, sep)) << c.v << " sep " << sep;
  }
}

}  // namespace
}  // namespace wellvue

namespace wellvue {
namespace {

// The numbers of files keep their own mark on a French desktop, where the C library's is a comma.
TEST(FileNumbersTest, ReadAndWrittenWithTheirOwnMarkUnderAFrenchLocale) {
  const test::FrenchLocale french;
  ASSERT_TRUE(french.active()) << "fr_FR.UTF-8 is not installed: scripts/install-deps.sh generates it";
  struct Read {
    const char* text;
    char mark;
    std::optional<double> value;
  };
  const Read reads[] = {{"12.34", '.', 12.34}, {"-0.250", '.', -0.25}, {"404.5", '.', 404.5}, {"1e3", '.', 1000},
                        {"12,34", ',', 12.34}, {"12,34", '.', {}},     {"12.34", ',', {}},    {"12.34m", '.', {}},
                        {" 12.34", '.', {}},   {"+1", '.', {}},        {"nan", '.', {}},      {"1e400", '.', {}},
                        {"", '.', {}},         {".", '.', {}}};
  for (const Read& r : reads) EXPECT_EQ(read_decimal(r.text, r.mark), r.value) << r.text << " mark " << r.mark;
  EXPECT_EQ(read_whole<std::int64_t>("-9000000000"), -9000000000);
  EXPECT_EQ(read_whole<std::int32_t>("2147483648"), std::nullopt);
  EXPECT_EQ(read_whole<int>("12.0"), std::nullopt);

  struct Written {
    double v;
    int decimals;
    char mark;
    const char* text;
  };
  const Written written[] = {{12.345, 3, '.', "12.345"}, {-0.0004, 3, '.', "0.000"}, {2.26, 1, ',', "2,3"},
                             {-1.5, 2, '.', "-1.50"},    {1e6, 0, '.', "1000000"}};
  for (const Written& w : written) EXPECT_EQ(fixed_text(w.v, w.decimals, w.mark), w.text) << w.v;
  EXPECT_EQ(shortest_text(404.5), "404.5");
  EXPECT_EQ(shortest_text(-0.0), "0");
  EXPECT_EQ(format_pattern_with(4.045, "0.00m", ','), "4,05m");
}

}  // namespace
}  // namespace wellvue
