// Command line of wellvue-export: the recording, the container, burning, the output file.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "export/export_options.h"

namespace wellvue::export_tool {

inline constexpr int kExported = 0, kFailed = 1, kUsageError = 2;

struct ToolOptions {
  bool help = false;
  exporting::ExportOptions exp;
};

// Parsed options, or nullopt with the reason (French, UTF-8) in `error`.
std::optional<ToolOptions> parse_options(const std::vector<std::string>& args, std::string& error);

extern const char* const kUsage;

}  // namespace wellvue::export_tool
