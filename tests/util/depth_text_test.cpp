// The depth texts of the station's subtitles, photo names and observation cues: the one reader
// finds the depth in every layout the station writes, with a point or a comma, and reads back what
// the formatters write under either separator.
#include "util/depth_text.h"

#include <gtest/gtest.h>

#include "french_locale.h"
#include "separator_guard.h"

namespace wellvue {
namespace {

TEST(DepthTextTest, EachSubtitleLineGivesTheDepthItShows) {
  struct Case {
    const char* line;
    SrtDepthKind kind;
    double depth;
    std::optional<double> water;
    const char* prefix;
  };
  const std::optional<double> dry;
  const Case cases[] = {
      {"P12                                   4,04m      ---", SrtDepthKind::line, 4.04, dry,
       "P12                                   "},
      {"P12      12.34m    w_3.21m", SrtDepthKind::line, 12.34, 3.21, "P12      "},
      {"\xA0     -0,50m      ---  ", SrtDepthKind::line, -0.5, dry, "\xA0     "},
      {"12.34m    w_0.00m", SrtDepthKind::line, 12.34, 0.0, ""},                 // the closing entry
      {"Puits  12,25m     3,10m", SrtDepthKind::line, 12.25, 3.10, "Puits  "},  // water without its mark
      {"P12  4.04m", SrtDepthKind::line, 4.04, dry, "P12  "},
      // A name ending in a digit keeps it when its padding stands between.
      {"Puits7 4.04m      ---", SrtDepthKind::line, 4.04, dry, "Puits7 "},
      {"margelle a zero....                        1.50 m", SrtDepthKind::curb_zero, 1.5, dry, ""},
      {"niveau d'eau a zero...(w)          7,25m w 0.00m", SrtDepthKind::water_zero, 7.25, dry, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const auto d = read_srt_depth_line(c.line);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->kind, c.kind);
    EXPECT_DOUBLE_EQ(d->depth.metres, c.depth);
    ASSERT_EQ(d->water.has_value(), c.water.has_value());
    if (d->water) {
      EXPECT_DOUBLE_EQ(d->water->metres, *c.water);
    }
    EXPECT_EQ(d->prefix, c.prefix);
  }
  for (const char* other : {"margelle a zero....  0.00m", "P12  08/12/2026 21h50:03",
                            "liaison encodeur perdue 3.2 s (00:00:01,000 \xE0 00:00:04,200)",
                            "00:00:00,100 ... 00:00:01,200", "\xA0                                     ",
                            "P12  4m      ---", ""})
    EXPECT_EQ(read_srt_depth_line(other), std::nullopt) << other;
}

// What the station writes under one separator reads back on a station with the other, whatever
// the C library's locale.
TEST(DepthTextTest, WrittenUnderEitherSeparatorReadsBackOnAFrenchDesktop) {
  const test::FrenchLocale french;
  ASSERT_TRUE(french.active()) << "fr_FR.UTF-8 is not installed: scripts/install-deps.sh generates it";
  const double depths[] = {0.0, 4.04, -0.5, 123.45, 99999.99};
  for (const char sep : {',', '.'}) {
    std::string line;
    {
      const test::SeparatorGuard guard(sep);
      for (const double d : depths) {
        EXPECT_EQ(read_depth_text(depth_text(d)), d) << depth_text(d);
        line = "P12" + std::string(35, ' ') + depth_text(d) + "    w_" + depth_text(2.5);
        const auto shown = read_srt_depth_line(line);
        ASSERT_TRUE(shown) << line;
        EXPECT_EQ(shown->depth.metres, d) << line;
        EXPECT_EQ(shown->depth.mark, sep);
        EXPECT_EQ(line.substr(shown->depth.begin, shown->depth.end - shown->depth.begin),
                  depth_number_text(d, sep));
      }
    }
    const test::SeparatorGuard other(sep == ',' ? '.' : ',');
    EXPECT_EQ(read_srt_depth_line(line)->depth.metres, 99999.99) << line;
  }
  EXPECT_EQ(french_depth_text(-0.001), "0,00 m");
  EXPECT_EQ(french_depth_text(12.345), "12,35 m");
  EXPECT_EQ(record_depth_text(12.3456), "12.346");
  EXPECT_EQ(read_depth_text("12.34"), std::nullopt);
  EXPECT_EQ(read_depth_text("x12.34m"), std::nullopt);
}

}  // namespace
}  // namespace wellvue
