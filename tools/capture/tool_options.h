// Command line of wellvue-capture: what to do and with which device, compressor and file.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace wellvue::capture_tool {

enum class Action { List, Record, Repair, Help };

struct Options {
  Action action = Action::Help;
  std::string file;        // --record / --repair
  int seconds = 0;         // --seconds
  std::string device;      // --device (display name)
  std::string compressor;  // --compressor (display name)
  bool test_source = false;
  bool preview = false;
};

// Parsed options, or nullopt with the reason in `error`.
std::optional<Options> parse_options(const std::vector<std::string>& args, std::string& error);

extern const char* const kUsage;

}  // namespace wellvue::capture_tool
