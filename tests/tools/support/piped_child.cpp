#include "piped_child.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace wellvue::test {

PipedChild::PipedChild(const std::vector<std::string>& argv) {
  int out[2];
  if (argv.empty() || pipe(out) != 0) return;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  pid_t pid = 0;
  const bool spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (!spawned) {
    close(out[0]);
    return;
  }
  pid_ = pid;
  out_ = fdopen(out[0], "r");
}

PipedChild::~PipedChild() {
  kill_now();
  if (out_) std::fclose(out_);
}

std::optional<std::string> PipedChild::next_line() {
  if (!out_) return std::nullopt;
  std::string line;
  for (int c; (c = std::fgetc(out_)) != EOF;) {
    if (c == '\n') return line;
    line += static_cast<char>(c);
  }
  if (line.empty()) return std::nullopt;
  return line;
}

bool PipedChild::kill_now() {
  if (pid_ <= 0) return false;
  kill(pid_, SIGKILL);
  int status = 0;
  const bool reaped = waitpid(pid_, &status, 0) == pid_;
  pid_ = -1;
  return reaped && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace wellvue::test
