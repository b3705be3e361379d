#include "command_line_host.h"

#include "util/cp1252.h"

namespace wellvue::record_tool {

void CommandLineHost::show_warning(const std::string& text) {
  if (!text.empty()) err_ << cp1252_to_utf8(text) << '\n';
}

}  // namespace wellvue::record_tool
