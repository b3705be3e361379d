#include "tool_options.h"

#include "option_values.h"

namespace wellvue::capture_tool {

const char* const kUsage =
    "usage: wellvue-capture --list [--test-source]\n"
    "       wellvue-capture --record FILE --seconds S [--device NAME] [--compressor NAME]\n"
    "                       [--test-source] [--preview]\n"
    "       wellvue-capture --repair FILE\n";

std::optional<Options> parse_options(const std::vector<std::string>& args, std::string& error) {
  Options o;
  bool have_action = false, have_seconds = false;
  auto set_action = [&](Action a) {
    if (have_action) {
      error = "only one of --list, --record, --repair";
      return false;
    }
    o.action = a;
    have_action = true;
    return true;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) { return tool_options::take_value(args, i, out, error, " needs a value"); };
    if (a == "--list") {
      if (!set_action(Action::List)) return std::nullopt;
    } else if (a == "--record" || a == "--repair") {
      if (!set_action(a == "--record" ? Action::Record : Action::Repair) || !value(o.file)) return std::nullopt;
    } else if (a == "--seconds") {
      std::string s;
      if (!value(s)) return std::nullopt;
      if (!tool_options::parse_number(s, o.seconds) || o.seconds <= 0) {
        error = "--seconds wants a whole number of seconds above zero, not '" + s + "'";
        return std::nullopt;
      }
      have_seconds = true;
    } else if (a == "--device") {
      if (!value(o.device)) return std::nullopt;
    } else if (a == "--compressor") {
      if (!value(o.compressor)) return std::nullopt;
    } else if (a == "--test-source") {
      o.test_source = true;
    } else if (a == "--preview") {
      o.preview = true;
    } else if (a == "--help" || a == "-h") {
      o.action = Action::Help;
      return o;
    } else {
      error = "unknown argument '" + a + "'";
      return std::nullopt;
    }
  }
  if (!have_action) {
    error = "nothing to do";
    return std::nullopt;
  }
  if (o.action == Action::Record && !have_seconds) {
    error = "--record needs --seconds";
    return std::nullopt;
  }
  if (o.file.empty() && (o.action == Action::Record || o.action == Action::Repair)) {
    error = "a file name is needed";
    return std::nullopt;
  }
  return o;
}

}  // namespace wellvue::capture_tool
