// Runs wellvue-record as a child process, its output kept in files beside (not in) the recording
// folder.
#pragma once
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace wellvue::test {

class ToolRun {
 public:
  ToolRun(const std::vector<std::string>& args, const std::filesystem::path& logs);
  ~ToolRun();  // a child still running (a failed test) is killed
  ToolRun(const ToolRun&) = delete;
  ToolRun& operator=(const ToolRun&) = delete;
  // Waits for the end; the exit code, or -1 when it did not end in time (then killed) or died of
  // a signal.
  int wait(int timeout_ms = 60000);
  void signal(int sig) const;
  std::string err() const;
  std::string out() const;

 private:
  pid_t pid_ = -1;
  std::filesystem::path logs_;
};

}  // namespace wellvue::test
