// The command line that runs wellvue-record with some arguments, for a ChildRun.
#pragma once
#include <string>
#include <vector>

#include "child_run.h"

namespace wellvue::test {

inline std::vector<std::string> record_tool(std::vector<std::string> args) {
  args.insert(args.begin(), WELLVUE_RECORD_TOOL);
  return args;
}

}  // namespace wellvue::test
