// The depth correction's fit on a record made with a wheel circumference typed 3 % wrong: two or
// more known depths give the true circumference back, one shifts only, bad points are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "french_locale.h"
#include "subtitles/depth_fix.h"
#include "subtitles/depth_fix_srt.h"
#include "subtitles/depth_record_reader.h"
#include "synthetic_recording.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/time_code.h"

namespace wellvue {
namespace {

using test::SyntheticRecording;

struct FitCase {
  const char* name;
  std::vector<std::pair<std::int64_t, double>> at;  // (video_ms, tics there) of the known points
  bool scaled;
};

TEST(DepthFixTest, KnownDepthsGiveTheTrueCircumferenceOrAShift) {
  const SyntheticRecording rec;
  const DepthRecordText record = parse_depth_record_text(rec.record(), "P12.depth.csv");
  const auto& l = rec.lines;
  const std::vector<FitCase> cases = {
      {"two lines far apart", {{l[5].first, l[5].second}, {l[50].first, l[50].second}}, true},
      // Between two rows the count is read between them: 7 tics over 400 ms.
      {"between rows", {{l[3].first + 200, l[3].second + 3.5}, {l[44].first + 100, l[44].second + 1.75}}, true},
      {"three points, one in the pause",
       {{l[2].first, l[2].second}, {l[27].first, l[27].second}, {l[59].first, l[59].second}},
       true},
      {"one point", {{l[40].first, l[40].second}}, false},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<KnownDepth> points;
    for (const auto& [ms, tics] : c.at) points.push_back({ms, rec.depth(tics, true)});
    const DepthCorrection fix(record, points);
    EXPECT_EQ(fix.fit().scaled, c.scaled);
    EXPECT_NEAR(fix.fit().recorded_circumference_mm, rec.recorded_mm, 1e-9);
    const double shift = points[0].depth_m - rec.depth(c.at[0].second, false);
    for (std::size_t i = 0; i < record.rows.size(); ++i) {
      const DepthRecordRow& row = record.rows[i];
      if (!row.is_line()) continue;
      const double want = c.scaled ? rec.depth(row.tics, true) : row.depth_m + shift;
      ASSERT_NEAR(fix.rows()[i].depth_m, want, 1e-6) << "row at " << row.video_ms;
      if (row.water_depth_m) {
        const double water =
            c.scaled ? (row.tics - rec.water_zero_tics()) * rec.metres_per_tic(true) : *row.water_depth_m;
        ASSERT_NEAR(*fix.rows()[i].water_depth_m, water, 1e-3);
      }
    }
    if (c.scaled) {
      EXPECT_NEAR(fix.fit().corrected_circumference_mm / rec.true_mm, 1.0, 0.002);
      // The curb zero's count stands for the true offset after the correction, 0 before.
      EXPECT_NEAR(fix.rows()[1].model_after - fix.rows()[1].model_before, rec.true_offset_m, 0.0006);
      const double deepest = rec.depth(l.back().second, false) - rec.depth(l.back().second, true);
      EXPECT_NEAR(fix.largest_change_m(), std::fabs(deepest), 0.0006);  // the record keeps 3 decimals
    } else {
      EXPECT_EQ(fix.fit().corrected_circumference_mm, fix.fit().recorded_circumference_mm);
      EXPECT_NEAR(fix.largest_change_m(), std::fabs(shift), 1e-9);
    }
  }
}

TEST(DepthFixTest, ACurbZeroInTheMiddleRestartsTheRelationThere) {
  // A second curb zero after line 30: depths start again from 0 at its count.
  SyntheticRecording rec;
  std::string text = rec.record();
  const std::string after = std::to_string(rec.lines[30].first) + ",line,";
  const std::size_t at = text.find('\n', text.find(after)) + 1;
  text.insert(at, std::to_string(rec.lines[30].first + 50) + ",curb_zero,," + std::to_string(rec.lines[30].second) +
                      ",1.000,,\n");
  DepthRecordText record = parse_depth_record_text(text, "P12.depth.csv");
  const std::int64_t zero = rec.lines[30].second;
  for (DepthRecordRow& row : record.rows)
    if (row.is_line() && row.video_ms > rec.lines[30].first)
      row.depth_m = (row.tics - zero) * rec.metres_per_tic(false);
  // Known points after the second zero only: the first stretch keeps its start and takes the scale.
  const auto& l = rec.lines;
  const DepthCorrection fix(record, {{l[35].first, 2.0}, {l[55].first, 2.0 + (l[55].second - l[35].second) * 0.02}});
  EXPECT_NEAR(fix.fit().corrected_circumference_mm, 480.0, 1e-6);
  for (std::size_t i = 0; i < record.rows.size(); ++i) {
    const DepthRecordRow& row = record.rows[i];
    if (!row.is_line()) continue;
    const double want = row.video_ms < l[30].first + 50 ? row.tics * 0.02 : 2.0 + (row.tics - l[35].second) * 0.02;
    // The first stretch is corrected from its recorded depths, kept with 3 decimals.
    ASSERT_NEAR(fix.rows()[i].depth_m, want, 0.0006) << "row at " << row.video_ms;
  }
  // Points on both sides of the zero, one on each: no scale can come from them.
  EXPECT_THROW(DepthCorrection(record, {{l[10].first, 1.0}, {l[50].first, 3.0}}), ConversionError);
}

TEST(DepthFixTest, BadPointsAreRefusedWithTheReason) {
  const SyntheticRecording rec;
  const DepthRecordText record = parse_depth_record_text(rec.record(), "P12.depth.csv");
  const auto& l = rec.lines;
  struct Bad {
    const char* name;
    std::vector<KnownDepth> points;
    const char* says;
  };
  const std::vector<Bad> cases = {
      {"none", {}, "Aucune profondeur connue"},
      {"after the stop", {{rec.stop_ms + 1, 3.0}}, "en dehors de l'enregistrement"},
      {"two points in the pause", {{l[26].first, 3.0}, {l[29].first, 3.2}}, "même compte de la roue"},
      {"depths against the count", {{l[5].first, 5.0}, {l[50].first, 1.0}}, "à l'inverse du compte"},
      {"three times the circumference",
       {{l[5].first, 0.0}, {l[50].first, (l[50].second - l[5].second) * 0.06}},
       "pas un glissement"},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      DepthCorrection fix(record, c.points);
      ADD_FAILURE() << "accepted";
    } catch (const ConversionError& e) {
      EXPECT_NE(cp1252_to_utf8(e.what()).find(c.says), std::string::npos) << cp1252_to_utf8(e.what());
    }
  }
}

// On a French desktop too, where the C library writes "1,234".
TEST(DepthFixTest, TheCorrectedRecordChangesOnlyDepthsAndTheCircumference) {
  const test::FrenchLocale french;
  ASSERT_TRUE(french.active()) << "fr_FR.UTF-8 is not installed: scripts/install-deps.sh generates it";
  const SyntheticRecording rec;
  const std::string text = rec.record();
  const DepthRecordText record = parse_depth_record_text(text, "P12.depth.csv");
  EXPECT_EQ(depth_record_text(record), text);  // read and written back unchanged, quoted detail too
  const auto& l = rec.lines;
  const DepthCorrection fix(record,
                            {{l[5].first, rec.depth(l[5].second, true)}, {l[50].first, rec.depth(l[50].second, true)}});
  const DepthRecordText out = parse_depth_record_text(depth_record_text(corrected_record(record, fix)), "x");
  ASSERT_EQ(out.rows.size(), record.rows.size());
  EXPECT_NEAR(out.circumference_mm, 480.0, 0.001);
  for (std::size_t i = 0; i < out.rows.size(); ++i) {
    const auto& a = record.rows[i].fields;
    const auto& b = out.rows[i].fields;
    for (std::size_t f : {0, 1, 2, 3, 6}) EXPECT_EQ(a[f], b[f]);
    if (record.rows[i].is_line()) {
      EXPECT_NEAR(out.rows[i].depth_m, rec.depth(record.rows[i].tics, true), 0.0005);
    }
  }
}

TEST(DepthFixTest, SubtitlesMatchRowsTimedAtTheEndOrAtTheStartOfTheirEntries) {
  for (bool at_start : {false, true}) {
    SCOPED_TRACE(at_start ? "rows at the entries' start" : "rows at the entries' end");
    SyntheticRecording rec;
    rec.rows_at_entry_start = at_start;
    const DepthRecordText record = parse_depth_record_text(rec.record(), "P12.depth.csv");
    const auto& l = rec.lines;
    const DepthCorrection fix(
        record, {{rec.row_ms(5), rec.depth(l[5].second, true)}, {rec.row_ms(50), rec.depth(l[50].second, true)}});
    const SrtDepthRewrite out = rewrite_srt_depths(rec.srt(false), record, fix.rows());
    EXPECT_EQ(out.text, rec.srt(true));
    EXPECT_EQ(out.entries_rewritten, l.size() + 3);  // the lines, both zeros and the closing entry
    EXPECT_EQ(out.entries_without_row, 0u);
  }
  // A record that lost its last rows: their entries keep their texts, and are counted.
  SyntheticRecording rec;
  std::string text = rec.record();
  text.resize(text.find(std::to_string(rec.lines[58].first) + ",line,"));
  const DepthRecordText record = parse_depth_record_text(text, "P12.depth.csv");
  const DepthCorrection fix(record, {{rec.lines[5].first, 1.0}});
  const SrtDepthRewrite out = rewrite_srt_depths(rec.srt(false), record, fix.rows());
  EXPECT_EQ(out.entries_without_row, 3u);  // lines 58 and 59, and the closing entry that repeats 59
  const std::string srt = rec.srt(false);
  const std::string from = time_code_of_ms(static_cast<std::uint64_t>(rec.lines[57].first)) + " --> " +
                           time_code_of_ms(static_cast<std::uint64_t>(rec.lines[58].first));
  ASSERT_NE(srt.find(from), std::string::npos);
  EXPECT_EQ(out.text.substr(out.text.find(from)), srt.substr(srt.find(from)));
  EXPECT_NE(out.text, srt);
}

}  // namespace
}  // namespace wellvue
