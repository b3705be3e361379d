// Where an export is written: the default name beside the AVI, and the temporary file that is
// put under the final name only once it is whole, so a failed or interrupted export never leaves
// half a file under that name.
#pragma once
#include <filesystem>

#include "export/export_options.h"

namespace wellvue::exporting {

// <name>.mkv or <name>.mp4 beside the AVI.
std::filesystem::path default_output(const std::filesystem::path& avi, ExportFormat format);

// A new temporary file beside the output (created exclusively, never through a link), removed on
// destruction unless published.
class PendingOutput {
 public:
  // Raises ExportError when the file cannot be created, or when `output` exists and replace is
  // not set.
  PendingOutput(const std::filesystem::path& output, bool replace);
  ~PendingOutput();
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;

  int fd() const { return fd_; }
  const std::filesystem::path& temp_path() const { return temp_; }
  // Flushes the file to disk and renames it to the output (an output that appeared meanwhile is
  // kept unless replace is set). Raises ExportError; the temporary file is then removed.
  void publish();

 private:
  std::filesystem::path output_, temp_;
  bool replace_ = false;
  int fd_ = -1;
  bool published_ = false;
};

}  // namespace wellvue::exporting
