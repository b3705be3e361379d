// The texts burned into the picture: from the depth record, or read back from the depth track.
#include <gtest/gtest.h>

#include "export/burn_texts.h"
#include "export/depth_record.h"

namespace wellvue::exporting {
namespace {

std::string text_at(const std::vector<Cue>& texts, std::int64_t ms) {
  for (const auto& t : texts)
    if (t.start_ms <= ms && ms < t.end_ms) return t.text;
  return "<none>";
}

TEST(BurnTexts, FromTheTrackTheTitleGivesBoreAndDateAndEachDepthEntryItsDepth) {
  const std::vector<Cue> track{
      {0, 400, "P12  08/12/2026 23h59:59\n\xC2\xA0   \n\xC2\xA0   "},
      {400, 1250, "P12      4,04m      ---"},
      {1250, 3000, "P12      4.10m    w_0.50m"},
      {3000, 3500, "margelle a zero....  0.00m"},  // not a depth line: the depth stays
  };
  const BurnSource s = burn_source_from_track(track);
  EXPECT_EQ(s.bore, "P12");
  const auto texts = burn_texts(s, 3500);
  // Consecutive, covering the whole video.
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front().start_ms, 0);
  EXPECT_EQ(texts.back().end_ms, 3500);
  for (std::size_t i = 1; i < texts.size(); ++i) EXPECT_EQ(texts[i].start_ms, texts[i - 1].end_ms);
  struct Case {
    std::int64_t ms;
    const char* text;
  };
  for (const Case& c : {Case{0, "P12   08/12/2026 23:59:59"}, Case{399, "P12   08/12/2026 23:59:59"},
                        Case{400, "P12   08/12/2026 23:59:59\nProfondeur 4,04 m"},
                        // past midnight the date turns
                        Case{1000, "P12   09/12/2026 00:00:00\nProfondeur 4,04 m"},
                        Case{1250, "P12   09/12/2026 00:00:00\nProfondeur 4,10 m   Eau 0,50 m"},
                        Case{3400, "P12   09/12/2026 00:00:02\nProfondeur 4,10 m   Eau 0,50 m"}})
    EXPECT_EQ(text_at(texts, c.ms), c.text) << c.ms;
}

TEST(BurnTexts, WithoutTitleTheBoreIsTheDepthLinesPrefixAndTheDefaultNameShowsNothing) {
  struct Case {
    const char* line;
    const char* bore;
  };
  for (const Case& c :
       {Case{"Forage \xC3\xA9"
             "1                  0.84m      ---",
             "Forage \xC3\xA9"
             "1"},
        Case{"\xC2\xA0                                     0.84m      ---", ""}, Case{"0.84m      ---", ""}}) {
    const BurnSource s = burn_source_from_track({{0, 1000, c.line}});
    EXPECT_EQ(s.bore, c.bore) << c.line;
    ASSERT_EQ(s.depths.size(), 1u) << c.line;
    EXPECT_DOUBLE_EQ(s.depths[0].depth_m, 0.84);
  }
}

TEST(BurnTexts, TheDepthRecordGivesBoreDateAndDepthsAndSkipsWhatDoesNotRead) {
  const std::string csv =
      "# Wellvue depth record 1\n# bore: Puits \xC3\xA9st\n# date: 2026-12-08 21:50:03\n# station: 0.1\n"
      "# unknown_key: kept out\n"
      "video_ms,event,raw,tics,depth_m,water_depth_m,detail\n"
      "0,start,,0,0.000,,\n"
      "1200,line,24,24,0.500,,\n"
      "2000,observation,,24,0.500,,\"FIS: fissure, large \"\"nette\"\"\"\n"
      "2600,line,48,48,1.000,0.250,\n"
      "bad,line,1,1,1.0,,\n";
  const auto record = read_depth_record(csv);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->bore, "Puits \xC3\xA9st");
  ASSERT_TRUE(record->start);
  EXPECT_EQ(record->start->hour, 21);
  EXPECT_EQ(record->points,
            (std::vector<DepthPoint>{
                {0, 0.0, std::nullopt}, {1200, 0.5, std::nullopt}, {2000, 0.5, std::nullopt}, {2600, 1.0, 0.25}}));
  const auto texts = burn_texts(burn_source_from_record(*record), 3000);
  EXPECT_EQ(text_at(texts, 2700), "Puits \xC3\xA9st   08/12/2026 21:50:05\nProfondeur 1,00 m   Eau 0,25 m");
  EXPECT_FALSE(read_depth_record("video_ms,event\n0,start\n"));
  EXPECT_EQ(csv_fields("a,\"b,\"\"c\"\"\",,d"), (std::vector<std::string>{"a", "b,\"c\"", "", "d"}));
}

}  // namespace
}  // namespace wellvue::exporting
