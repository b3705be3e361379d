// Runs a program as a child process, its standard output and error kept in files of a log folder:
// the tool tests run the station's tools and the programs that read their files back through it.
#pragma once
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace wellvue::test {

// Changes to the test's own environment for the child.
struct ChildEnvironment {
  std::vector<std::pair<std::string, std::string>> set;
  std::vector<std::string> unset;
};

class ChildRun {
 public:
  // argv[0] is looked up in PATH when it holds no '/'.
  ChildRun(const std::vector<std::string>& argv, const std::filesystem::path& logs, const ChildEnvironment& env = {});
  ~ChildRun();  // a child still running (a failed test) is killed
  ChildRun(const ChildRun&) = delete;
  ChildRun& operator=(const ChildRun&) = delete;
  // The exit code, or -1 when it did not end in time (then killed) or died of a signal.
  int wait(int timeout_ms = 120000);
  void signal(int sig) const;
  std::string out() const;
  std::string err() const;

 private:
  pid_t pid_ = -1;
  std::filesystem::path logs_;
};

struct ChildResult {
  int code = -1;
  std::string out, err;
};

// Runs to the end.
ChildResult run_child(const std::vector<std::string>& argv, const std::filesystem::path& logs,
                      const ChildEnvironment& env = {});

}  // namespace wellvue::test
