// What one export is asked to do: the recording, the container, burning the depth into the
// picture, where the file goes and whether an existing file may be replaced.
#pragma once
#include <string>
#include <string_view>

namespace wellvue::exporting {

enum class ExportFormat { Matroska, Mp4 };

struct ExportOptions {
  std::string recording;  // the AVI, its SRT or the base name (UTF-8 path)
  ExportFormat format = ExportFormat::Matroska;
  bool burn = false;     // depth, water depth, bore name and date-time drawn into the picture
  std::string output;    // empty: beside the AVI, named after it
  bool replace = false;  // an existing output file is replaced only when set
};

// ".mkv" or ".mp4".
std::string_view extension_of(ExportFormat format);

}  // namespace wellvue::exporting
