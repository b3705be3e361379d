// Command line of wellvue-record: the camera, the encoder port, the recording's names and folder,
// how long it runs and the answers to the station's questions.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace wellvue::record_tool {

// A photo or an observation taken at a time of the recording.
struct TimedNote {
  double at_s = 0;   // seconds after the start
  std::string code;  // UTF-8; empty: a photo
};

// An answer given on the command line, or none (the question then takes its default answer).
enum class Answer { Unset, Yes, No };

struct Options {
  bool help = false;
  bool test_source = false;
  std::string camera;  // --camera (display name); empty: the first camera
  std::string port;    // --port (serial port); empty: the link's default field
  bool simulate_board = false;
  int seconds = 0;  // --seconds; 0: until Ctrl-C
  std::string bore = "forage";
  std::string prefix = "CXapture";
  bool with_date = false;
  std::string folder = ".";  // UTF-8
  Answer zero_counters = Answer::Unset;
  Answer replace = Answer::Unset;
  std::vector<TimedNote> notes;  // --snapshot-at, --observe-at, in time order
};

// Parsed options, or nullopt with the reason (French, UTF-8) in `error`.
std::optional<Options> parse_options(const std::vector<std::string>& args, std::string& error);

extern const char* const kUsage;

}  // namespace wellvue::record_tool
