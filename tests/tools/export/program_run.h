// Runs a program as a child process, its output kept in files of a log folder.
#pragma once
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace wellvue::test {

class ProgramRun {
 public:
  ProgramRun(const std::vector<std::string>& argv, const std::filesystem::path& logs);
  ~ProgramRun();  // a child still running (a failed test) is killed
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;
  // The exit code, or -1 when it did not end in time (then killed) or died of a signal.
  int wait(int timeout_ms = 120000);
  void signal(int sig) const;
  std::string out() const;
  std::string err() const;

 private:
  pid_t pid_ = -1;
  std::filesystem::path logs_;
};

// Runs to the end; the exit code, with the standard output in `out`.
int run_program(const std::vector<std::string>& argv, std::string& out, const std::filesystem::path& logs);

}  // namespace wellvue::test
