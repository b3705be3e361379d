#include "util/cp1252.h"

#include <gtest/gtest.h>

#include "util/conversion_error.h"

namespace wellvue {
namespace {

TEST(Cp1252Test, KnownCharacters) {
  struct Case {
    const char* cp1252;
    const char* utf8;
  };
  const Case cases[] = {
      {"abc", "abc"},
      {"\xe9", "\xc3\xa9"},      // e acute
      {"\xa0", "\xc2\xa0"},      // no-break space
      {"\x80", "\xe2\x82\xac"},  // euro sign
      {"\x9c", "\xc5\x93"},      // oe ligature
      {"\x85", "\xe2\x80\xa6"},  // ellipsis
      {"\xff", "\xc3\xbf"},
      {"\x81", "\xc2\x81"},  // undefined byte kept as its C1 control
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cp1252_to_utf8(c.cp1252), c.utf8) << c.cp1252;
    EXPECT_EQ(utf8_to_cp1252(c.utf8), c.cp1252) << c.utf8;
  }
}

TEST(Cp1252Test, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(utf8_to_cp1252(cp1252_to_utf8(all)), all);
}

TEST(Cp1252Test, UnmappableAndBrokenUtf8BecomeQuestionMarks) {
  struct Case {
    std::string utf8;
    std::string cp1252;
  };
  const Case cases[] = {
      {"\xe4\xb8\xad", "?"},        // a CJK character
      {"\xf0\x9f\x98\x80x", "?x"},  // an emoji, then x
      {"\x80", "?"},                // stray continuation byte
      {"\xc3", "?"},                // truncated sequence at the end
      {"\xc3x", "?x"},              // truncated sequence in the middle
      {"\xc0\xaf", "?"},            // overlong form of '/'
      {"\xed\xa0\x80", "?"},        // surrogate
      {"\xff", "?"},
  };
  for (const auto& c : cases) EXPECT_EQ(utf8_to_cp1252(c.utf8), c.cp1252);
}

TEST(Cp1252Test, ErrorTextsAreCp1252) {
  EXPECT_EQ(cp1252_to_utf8(not_an_integer_text("12a")), "'12a' n'est pas une valeur enti\xc3\xa8re correcte");
  EXPECT_EQ(cp1252_to_utf8(cannot_create_file_text("x.srt")),
            "Impossible de cr\xc3\xa9"
            "er le fichier x.srt");
  EXPECT_EQ(cp1252_to_utf8(kDivisionByZeroText), "Division par z\xc3\xa9ro en virgule flottante");
  EXPECT_EQ(cannot_open_file_text("a b"), "Impossible d'ouvrir le fichier a b");
  EXPECT_EQ(not_a_float_text("1.5"), "'1.5' n'est pas une valeur en virgule flottante correcte");
}

}  // namespace
}  // namespace wellvue
