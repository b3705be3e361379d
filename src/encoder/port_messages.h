// The operator's text for a port that will not open: what went wrong and what to do, in French.
#pragma once
#include <string>
#include <vector>

#include "encoder/serial_port.h"

namespace wellvue {

// CP1252. `holders`: the processes that hold the port, as port_holders() gives them.
std::string open_failure_text(OpenFailure failure, const std::string& port_name,
                              const std::vector<std::string>& holders = {});

}  // namespace wellvue
