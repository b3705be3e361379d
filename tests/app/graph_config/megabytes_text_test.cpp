// The preallocation size crosses the dialog as text: every value of the record must come back,
// and a text that is not one must fail with the operator's conversion message.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "app/graph_config/megabytes_text.h"
#include "util/conversion_error.h"

namespace wellvue {
namespace {

struct ParseCase {
  std::string text;
  std::optional<std::uint32_t> value;  // nullopt: conversion error
};

class ParseMegabytes : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseMegabytes, ValueOrConversionError) {
  const ParseCase& c = GetParam();
  if (c.value) {
    EXPECT_EQ(parse_megabytes(c.text), *c.value);
  } else {
    try {
      parse_megabytes(c.text);
      ADD_FAILURE() << "'" << c.text << "' converted";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), not_an_integer_text(c.text));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseMegabytes,
    ::testing::Values(ParseCase{"0", 0u}, ParseCase{"512", 512u}, ParseCase{"  42 ", 42u}, ParseCase{"+7", 7u},
                      ParseCase{"2147483647", 2147483647u}, ParseCase{"2147483648", 2147483648u},
                      ParseCase{"4294967295", 4294967295u}, ParseCase{"0004294967295", 4294967295u},
                      ParseCase{"4294967296", std::nullopt}, ParseCase{"99999999999999999999", std::nullopt},
                      ParseCase{"-1", std::nullopt}, ParseCase{"", std::nullopt}, ParseCase{"   ", std::nullopt},
                      ParseCase{"+", std::nullopt}, ParseCase{"12a", std::nullopt}, ParseCase{"1 2", std::nullopt},
                      ParseCase{"1.5", std::nullopt}, ParseCase{"$10", std::nullopt}));

TEST(MegabytesText, EveryBoundaryValueComesBack) {
  for (std::uint32_t v : {0u, 1u, 2047u, 2048u, 2147483647u, 2147483648u, 4294967295u})
    EXPECT_EQ(parse_megabytes(megabytes_text(v)), v) << v;
}

}  // namespace
}  // namespace wellvue
