#include "util/typed_number.h"

#include <gtest/gtest.h>

namespace wellvue {
namespace {

TEST(TypedNumber, TheWholeTextMustBeANumberWithEitherDecimalMark) {
  struct Case {
    const char* typed;
    const char* unit;
    std::optional<double> number;
  };
  const Case cases[] = {
      {"100", "", 100},         {"1O0", "", std::nullopt},  {" -20 ", "", -20},        {"+7", "", 7},
      {"404,5", "", 404.5},     {"404.5", "", 404.5},       {"4-04", "", std::nullopt}, {"1.2.3", "", std::nullopt},
      {"50 cm", "cm", 50},      {"50cm", "cm", 50},         {"50 CM", "cm", 50},       {"50 cm", "", std::nullopt},
      {"50 mm", "cm", std::nullopt}, {"cm", "cm", std::nullopt}, {"", "", std::nullopt},  {"-", "", std::nullopt},
      {",5", "", 0.5},          {"5.", "", 5},              {"1e3", "", std::nullopt}, {"1 000", "", std::nullopt},
      {"-0", "", 0},            {"12\xA0", "", 12},       {"\xC2\xA0" "7,5\xC2\xA0m", "m", 7.5},         {"0x10", "", std::nullopt}, {"nan", "", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(read_typed_number(c.typed, c.unit), c.number);
  }
}

TEST(TypedNumber, AWholeNumberIsToldApartFromADecimalOne) {
  EXPECT_EQ(read_typed_whole("150 cm", "cm").whole, 150);
  EXPECT_EQ(read_typed_whole("12,0").whole, 12);
  const TypedWhole half = read_typed_whole("12,5");
  EXPECT_EQ(half.number, 12.5);
  EXPECT_FALSE(half.whole);
  EXPECT_FALSE(read_typed_whole("3000000000").whole);
  EXPECT_FALSE(read_typed_whole("abc").number);
}

}  // namespace
}  // namespace wellvue
