// wellvue-depth-fix: corrects the depths of a recording from depths known at moments of its video.
//   wellvue-depth-fix REC --at VIDEO_TIME=DEPTH [--at ...] [--replace]
// One point shifts the depths; two or more fit the wheel circumference. Writes "_<name>.srt" and
// "_<name>.depth.csv" beside the recording and prints the correction. Exit 0 done, 1 failure
// (nothing written), 2 bad command line.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "subtitles/depth_fix_run.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/decimal_separator.h"
#include "util/version.h"

namespace {

constexpr const char* kUsage =
    "usage: wellvue-depth-fix REC --at VIDEO_TIME=DEPTH [--at VIDEO_TIME=DEPTH ...] [--replace]\n"
    "REC: the recording's AVI, SRT or base name. VIDEO_TIME: hh:mm:ss,mmm, mm:ss or seconds (754.2).\n"
    "DEPTH: metres, with '.' or ','. One point shifts the depths, two or more correct the wheel.\n";

int usage_error(const std::string& why) {
  std::cerr << "wellvue-depth-fix: " << why << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (wellvue::answer_version(argc, argv, "wellvue-depth-fix")) return 0;
  using namespace wellvue;
  std::string rec;
  std::vector<KnownDepth> points;
  bool replace = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--replace") {
      replace = true;
    } else if (arg == "--at") {
      if (i + 1 >= argc) return usage_error("--at needs VIDEO_TIME=DEPTH");
      const std::string point = argv[++i];
      const auto eq = point.find('=');
      if (eq == std::string::npos) return usage_error("--at needs VIDEO_TIME=DEPTH, not '" + point + "'");
      const auto ms = parse_video_time(std::string_view(point).substr(0, eq));
      const auto depth = parse_known_metres(std::string_view(point).substr(eq + 1));
      if (!ms) return usage_error("unreadable video time '" + point.substr(0, eq) + "'");
      if (!depth) return usage_error("unreadable depth '" + point.substr(eq + 1) + "'");
      points.push_back({*ms, *depth});
    } else if (arg.starts_with("--")) {
      return usage_error("unknown option " + arg);
    } else if (rec.empty()) {
      rec = arg;
    } else {
      return usage_error("one recording only ('" + arg + "')");
    }
  }
  if (rec.empty()) return usage_error("missing recording");
  if (points.empty()) return usage_error("at least one --at VIDEO_TIME=DEPTH");

  init_decimal_separator_from_locale();
  try {
    const DepthFixResult result = fix_recording_depths(rec, points, replace);
    for (const std::string& line : depth_fix_report(result)) std::cout << cp1252_to_utf8(line) << "\n";
  } catch (const ConversionError& e) {
    std::cerr << cp1252_to_utf8(e.what()) << "\n";
    return 1;
  }
  return 0;
}
