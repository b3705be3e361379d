// wellvue-srt: the re-timing tool of the link window for batch work on SRT files.
//   wellvue-srt scale FILE --video DURATION [--srt DURATION]
//   wellvue-srt t0 FILE [--offset SECONDS]
// Writes "_FILE" beside FILE as the tool's Save would, prints the tool's messages, and on a
// failure prints the error's text and exits 1 without writing anything.
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "printing_prompter.h"
#include "subtitles/retiming_tool.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/decimal_separator.h"
#include "util/version.h"

namespace {

constexpr const char* kUsage =
    "usage: wellvue-srt scale FILE --video DURATION [--srt DURATION]\n"
    "       wellvue-srt t0 FILE [--offset SECONDS]\n"
    "DURATION as typed in the tool: 7, 45, 3:07, 12:30 or hh:mm:ss,mmm.\n";

int usage_error(const std::string& why) {
  std::cerr << "wellvue-srt: " << why << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (wellvue::answer_version(argc, argv, "wellvue-srt")) return 0;
  using namespace wellvue;
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << kUsage;
    return 0;
  }
  if (argc < 3) return usage_error("missing operation or file");
  const std::string op = argv[1];
  if (op != "scale" && op != "t0") return usage_error("unknown operation '" + op + "'");
  const std::string file = argv[2];
  std::optional<std::string> video, srt, offset;
  for (int i = 3; i < argc; ++i) {
    const std::string opt = argv[i];
    if (i + 1 >= argc) return usage_error("option " + opt + " needs a value");
    const std::string value = utf8_to_cp1252(argv[++i]);
    if (op == "scale" && opt == "--video") video = value;
    else if (op == "scale" && opt == "--srt") srt = value;
    else if (op == "t0" && opt == "--offset") offset = value;
    else return usage_error("unknown option " + opt + " for " + op);
  }
  if (op == "scale" && !video) return usage_error("scale needs --video DURATION");

  init_decimal_separator_from_locale();
  PrintingPrompter prompter;
  RetimingTool tool(prompter);
  try {
    tool.choose_file(file);
    const SubtitleLines source = tool.load_chosen_file();
    if (op == "scale") {
      tool.avi_duration = *video;
      if (srt) tool.srt_duration = *srt;
      tool.scale(source);
    } else {
      if (offset) tool.offset = *offset;
      tool.reset_t0(source);
    }
    tool.save();
  } catch (const ConversionError& e) {
    std::cerr << cp1252_to_utf8(e.what()) << "\n";
    return 1;
  }
  return 0;
}
