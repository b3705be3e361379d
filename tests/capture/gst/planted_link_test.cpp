// Links planted where the engine writes its recordings (the temporary file, the final name):
// real pipelines from the test-pattern camera; the file a link points to is never written,
// the link never replaced, and the recording is kept playable under a name of our own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "gst_test_support.h"

namespace wellvue::gst::testing {
namespace {

namespace fs = std::filesystem;

std::string content(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

enum class Plant { AtBuild, BeforeStart };

struct LinkCase {
  const char* label;
  bool temp_file;
  const char* link_name;  // where the link is planted
  Plant when;
  bool records;          // the recording starts
  const char* saved_as;  // where it is then found ("" when it does not start)
  const char* report;    // a report that must be shown ("" for none)
};

void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.label; }

class PlantedLink : public ::testing::TestWithParam<LinkCase> {};

TEST_P(PlantedLink, NeverWritesThroughItNorReplacesIt) {
  const LinkCase& c = GetParam();
  ScratchDir dir;
  const std::string victim = dir.file("victime.txt");
  std::ofstream(victim) << "ne pas toucher";
  const std::string link = dir.file(c.link_name);
  Station s;
  TGraphConfig config = s.config(dir.file("puits.avi"));
  config.UseTempFile = c.temp_file;
  config.TempCaptureFileName = "captemp.avi";
  config.VideoCompressorName = "JPEG image encoder";
  if (c.when == Plant::AtBuild) {
    ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
  }
  s.cap.ApplyConfig(&config);
  if (c.when == Plant::BeforeStart) {
    ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
  }

  const bool started = s.cap.StartCapture(false);
  EXPECT_EQ(started, c.records) << ::testing::PrintToString(s.reports());
  if (started) {
    s.run_for(std::chrono::milliseconds(1200));
    s.cap.StopCapture();
    s.run_for(std::chrono::milliseconds(100));
    EXPECT_EQ(s.cap.RecordingFile(), dir.file(c.saved_as));
    const Readback rb = read_back(dir.file(c.saved_as));
    ASSERT_TRUE(rb.ok) << rb.error;
    EXPECT_GE(rb.frames, 10u);
  }
  EXPECT_EQ(content(victim), "ne pas toucher");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), victim);
  if (*c.report) {
    bool shown = false;
    for (const auto& r : s.reports()) shown = shown || r.find(c.report) != std::string::npos;
    EXPECT_TRUE(shown) << ::testing::PrintToString(s.reports());
  } else {
    EXPECT_TRUE(s.reports().empty()) << ::testing::PrintToString(s.reports());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Links, PlantedLink,
    ::testing::Values(LinkCase{"temp_file_is_a_link", true, "captemp.avi", Plant::AtBuild, true, "puits.avi", ""},
                      LinkCase{"temp_file_linked_before_the_start", true, "captemp.avi", Plant::BeforeStart, true,
                               "puits.avi", ""},
                      LinkCase{"final_name_is_a_link", false, "puits.avi", Plant::AtBuild, false, "", kNotAPlainFile},
                      LinkCase{"final_name_linked_before_the_start", false, "puits.avi", Plant::BeforeStart, false, "",
                               kNotAPlainFile},
                      // Recorded into the temporary file; at the stop the link is not replaced and the
                      // recording is kept beside it under a name of its own.
                      LinkCase{"final_name_linked_during_a_temp_recording", true, "puits.avi", Plant::BeforeStart, true,
                               "captemp-1.avi", kCannotMoveRecording}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace wellvue::gst::testing
