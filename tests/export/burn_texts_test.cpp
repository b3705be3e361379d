// The texts burned into the picture: from the depth record, or read back from the depth track
// when there is none or it is damaged.
#include <gtest/gtest.h>

#include <fstream>

#include "../util/temp_dir.h"
#include "french_locale.h"
#include "export/burn_texts.h"
#include "export/export_error.h"
#include "export/export_job.h"

namespace wellvue::exporting {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

const std::string kRecordHead =
    "# Wellvue depth record 1\n# bore: Puits \xC3\xA9st\n# date: 2026-12-08 21:50:03\n# station: 0.1\n"
    "# unknown_key: kept out\n"
    "video_ms,event,raw,tics,depth_m,water_depth_m,detail\n";
const std::string kRecordRows =
    "0,start,,0,0.000,,\n"
    "1200,line,24,24,0.500,,\n"
    "2000,observation,,24,0.500,,\"FIS: fissure, large \"\"nette\"\"\"\n"
    "2600,line,48,48,1.000,0.250,\n";

std::string text_at(const std::vector<Cue>& texts, std::int64_t ms) {
  for (const auto& t : texts)
    if (t.start_ms <= ms && ms < t.end_ms) return t.text;
  return "<none>";
}

// On a French desktop too, where the C library reads "4.10" as 4.
TEST(BurnTexts, FromTheTrackTheTitleGivesBoreAndDateAndEachDepthEntryItsDepth) {
  const test::FrenchLocale french;
  ASSERT_TRUE(french.active()) << "fr_FR.UTF-8 is not installed: scripts/install-deps.sh generates it";
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

TEST(BurnTexts, TheDepthRecordGivesBoreDateAndTheDepthOfEveryRow) {
  test::TempDir dir;
  const fs::path file = dir.path() / "P12.depth.csv";
  write(file, kRecordHead + kRecordRows);
  const DepthRecord record = read_depth_record(file.string());
  EXPECT_EQ(record.rows.at(2).detail, "FIS: fissure, large \"nette\"");  // a quoted field whole
  const BurnSource s = burn_source_from_record(record);
  EXPECT_EQ(s.bore, "Puits \xC3\xA9st");
  ASSERT_TRUE(s.start);
  EXPECT_EQ(s.start->hour, 21);
  EXPECT_EQ(s.depths,
            (std::vector<DepthPoint>{
                {0, 0.0, std::nullopt}, {1200, 0.5, std::nullopt}, {2000, 0.5, std::nullopt}, {2600, 1.0, 0.25}}));
  const auto texts = burn_texts(s, 3000);
  EXPECT_EQ(text_at(texts, 2700), "Puits \xC3\xA9st   08/12/2026 21:50:05\nProfondeur 1,00 m   Eau 0,25 m");
}

// A record that does not read leaves the export to the depth track (the same depths, bore and
// start) and the operator is told which line is damaged; an intact one is used without a word.
TEST(BurnTexts, ADamagedDepthRecordLeavesTheTextsToTheDepthTrackAndSaysWhichLine) {
  test::TempDir dir;
  RecordingInputs in{dir.path() / "P12.avi", dir.path() / "P12.srt", {}, dir.path() / "P12.depth.csv"};
  write(in.avi, "RIFF");
  write(in.srt,
        "1\r\n00:00:00,000 --> 00:00:00,400\r\nP12  08/12/2026 21h50:03\r\n\r\n"
        "2\r\n00:00:00,400 --> 00:00:03,000\r\nP12      4,04m      ---\r\n\r\n");
  const std::string from_record = "Puits \xC3\xA9st   08/12/2026 21:50:05\nProfondeur 1,00 m   Eau 0,25 m";
  const std::string from_track = "P12   08/12/2026 21:50:05\nProfondeur 4,04 m";
  const struct {
    std::string record;
    std::string shown;
    std::string warning;  // part of it; empty: none at all
  } cases[] = {
      {kRecordHead + kRecordRows, from_record, ""},
      {"video_ms,event\n0,start\n", from_track, "ligne 1 "},
      {kRecordHead + kRecordRows + "bad,line,1,1,1.0,,\n", from_track, "ligne 11 : valeur illisible"},
      {kRecordHead + "0,start,,0,0.000\n" + kRecordRows, from_track, "ligne 7 : 5 champs au lieu de 7"},
      {kRecordHead + kRecordRows + "2900,observation,,48,1.000,,\"FIS\n", from_track,
       "ligne 11 : guillemet non ferm\xC3\xA9"},
      {"# Wellvue depth record 1\n# bore: P\n", from_track, "ligne 3 : ligne des colonnes absente"},
  };
  ExportOptions options;
  options.burn = true;
  for (const auto& c : cases) {
    write(in.depth_record, c.record);
    const ExportPlan plan = plan_export(in, {3000, false}, options, std::nullopt);
    EXPECT_EQ(text_at(plan.burn, 2700), c.shown) << c.record;
    if (c.warning.empty()) {
      EXPECT_EQ(plan.warning, "") << c.record;
    } else {
      EXPECT_TRUE(plan.warning.starts_with("P12.depth.csv : ")) << plan.warning;
      EXPECT_NE(plan.warning.find(c.warning), std::string::npos) << plan.warning;
      EXPECT_NE(plan.warning.find("sous-titres"), std::string::npos) << plan.warning;
    }
  }
  // A record that cannot be read at all (a folder under its name) stops the export.
  fs::remove(in.depth_record);
  fs::create_directory(in.depth_record);
  EXPECT_THROW(plan_export(in, {3000, false}, options, std::nullopt), ExportError);
}

}  // namespace
}  // namespace wellvue::exporting
