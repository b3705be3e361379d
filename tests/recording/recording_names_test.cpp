// A recording's files found from any of its names, the video and subtitles in either case.
#include <gtest/gtest.h>

#include <fstream>

#include "../util/temp_dir.h"
#include "recording/recording_names.h"

namespace wellvue {
namespace {

TEST(RecordingNames, AnyOfTheFilesNamesTheRecordingAndAnUpperCaseCopyIsFound) {
  test::TempDir dir;
  const std::string d = dir.path().string() + "/";
  // P12 copied from Windows in upper case; Q.3 has a dot in its base name; S has both cases.
  for (const char* f : {"P12.AVI", "P12.SRT", "Q.3.avi", "Q.3.srt", "S.avi", "S.AVI", "S.srt"})
    std::ofstream(d + f) << "x";
  const struct {
    std::string name, base, avi, srt;
  } cases[] = {
      {"P12", "P12", "P12.AVI", "P12.SRT"},
      {"P12.AVI", "P12", "P12.AVI", "P12.SRT"},
      {"P12.srt", "P12", "P12.AVI", "P12.SRT"},
      {"P12.obs.srt", "P12", "P12.AVI", "P12.SRT"},
      {"P12.depth.csv", "P12", "P12.AVI", "P12.SRT"},
      {"Q.3", "Q.3", "Q.3.avi", "Q.3.srt"},
      {"Q.3.avi", "Q.3", "Q.3.avi", "Q.3.srt"},
      {"S.AVI", "S", "S.avi", "S.srt"},
      {"absent.avi", "absent", "absent.avi", "absent.srt"},
  };
  for (const auto& c : cases) {
    const RecordingNames n = recording_names(d + c.name);
    EXPECT_EQ(n.base, d + c.base) << c.name;
    EXPECT_EQ(n.avi, d + c.avi) << c.name;
    EXPECT_EQ(n.srt, d + c.srt) << c.name;
    EXPECT_EQ(n.observations, d + c.base + ".obs.srt") << c.name;
    EXPECT_EQ(n.depth_record, d + c.base + ".depth.csv") << c.name;
  }
}

}  // namespace
}  // namespace wellvue
