// The one reader of the depth record: a real file read on a French desktop keeps its numbers
// (the C library there would read "404.5" as 404), and the text written back is the file's.
#include "util/depth_record_file.h"

#include <gtest/gtest.h>

#include <fstream>

#include "french_locale.h"
#include "temp_dir.h"
#include "util/conversion_error.h"

namespace wellvue {
namespace {

const std::string kRecord =
    "# Wellvue depth record 1\n# bore: Puits \xC3\xA9t\xC3\xA9\n# circumference_mm_per_turn: 404.5\n"
    "# start_depth_m: 1.25\n# frame_rate: 29.97\n# later_key:no blank\n"
    "video_ms,event,raw,tics,depth_m,water_depth_m,detail\n"
    "0,start,,0,1.250,,\n"
    "40,line,-24,-24,0.846,0.125,\n"
    "80,calibration,,-24,0.846,0.125,410.5\n"
    "120,observation,,-24,0.846,0.125,\"FIS: large, \"\"nette\"\"\"\n";

TEST(DepthRecordFileTest, ARecordReadOnAFrenchDesktopKeepsItsNumbersAndItsBytes) {
  const test::FrenchLocale french;
  ASSERT_TRUE(french.active()) << "fr_FR.UTF-8 is not installed: scripts/install-deps.sh generates it";
  test::TempDir dir;
  const std::string path = (dir.path() / "P1.depth.csv").string();
  std::ofstream(path, std::ios::binary) << kRecord;
  const DepthRecordFile r = read_depth_record_file(path);
  EXPECT_EQ(r.header_number("circumference_mm_per_turn"), 404.5);
  EXPECT_EQ(r.header_number("start_depth_m"), 1.25);
  EXPECT_EQ(r.header_number("frame_rate"), 29.97);
  EXPECT_EQ(r.header_number("bore"), std::nullopt);
  ASSERT_NE(r.header_value("later_key"), nullptr);
  EXPECT_EQ(*r.header_value("later_key"), "no blank");
  ASSERT_EQ(r.rows.size(), 4u);
  EXPECT_EQ(r.rows[1].raw, -24);
  EXPECT_EQ(r.rows[1].tics, -24);
  EXPECT_EQ(r.rows[1].depth_m, 0.846);
  EXPECT_EQ(r.rows[1].water_depth_m, 0.125);
  EXPECT_EQ(r.rows[3].detail, "FIS: large, \"nette\"");
  EXPECT_EQ(r.rows[3].fields[6], r.rows[3].detail);
  // Written back, only the header line read without its blank after the colon changes.
  std::string expected = kRecord;
  expected.replace(expected.find("later_key:no"), 12, "later_key: no");
  EXPECT_EQ(depth_record_file_text(r), expected);
}

TEST(DepthRecordFileTest, ANumberWithTheCommaIsNotReadAsAnotherOne) {
  const test::FrenchLocale french;
  ASSERT_TRUE(french.active()) << "fr_FR.UTF-8 is not installed: scripts/install-deps.sh generates it";
  for (const char* row : {"40,line,24,24,\"0,846\",,\n", "40,line,24,24,0.846,\"0,125\",\n", "4e1x,line,24,24,0.846,,\n"}) {
    try {
      parse_depth_record(kRecord + row, "P1.depth.csv");
      ADD_FAILURE() << "read: " << row;
    } catch (const ConversionError& e) {
      EXPECT_NE(std::string(e.what()).find("P1.depth.csv : relev\xE9 de profondeur illisible, ligne 12"),
                std::string::npos)
          << e.what();
    }
  }
}

}  // namespace
}  // namespace wellvue
