// The three jobs of wellvue-capture over the station's own capture engine: list the devices and
// formats, record a file, repair a file a crash left unfinished. Each returns the exit code.
#pragma once
#include <ostream>

#include "tool_options.h"

namespace wellvue::capture_tool {

int list_devices(const Options& options, std::ostream& out, std::ostream& err);
int record(const Options& options, std::ostream& out, std::ostream& err);
int repair(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace wellvue::capture_tool
