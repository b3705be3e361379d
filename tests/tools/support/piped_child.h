// A child process whose standard output the test reads line by line as it comes, then kills: the
// crash tests kill a recording station at the moment its own output names.
#pragma once
#include <sys/types.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace wellvue::test {

class PipedChild {
 public:
  // argv[0] is the program's path. started() is false when it could not be run.
  explicit PipedChild(const std::vector<std::string>& argv);
  ~PipedChild();  // a child still running (a failed test) is killed
  PipedChild(const PipedChild&) = delete;
  PipedChild& operator=(const PipedChild&) = delete;

  bool started() const { return pid_ > 0; }
  // The next line without its end; nullopt once the output has ended.
  std::optional<std::string> next_line();
  // SIGKILL, then waits for it: true when it died of that signal.
  bool kill_now();

 private:
  pid_t pid_ = -1;
  std::FILE* out_ = nullptr;
};

}  // namespace wellvue::test
