#include "child_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace wellvue::test {
namespace {

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The child's environment, built before the fork: a test may have threads, and the child must
// not allocate between fork and exec.
std::vector<std::string> environment(const ChildEnvironment& env) {
  std::vector<std::string> out;
  auto changed = [&](const std::string& entry) {
    const std::string name = entry.substr(0, entry.find('='));
    return std::find(env.unset.begin(), env.unset.end(), name) != env.unset.end() ||
           std::any_of(env.set.begin(), env.set.end(), [&](const auto& kv) { return kv.first == name; });
  };
  for (char** e = environ; *e; ++e)
    if (!changed(*e)) out.emplace_back(*e);
  for (const auto& [name, value] : env.set) out.push_back(name + "=" + value);
  return out;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> p;
  for (auto& t : texts) p.push_back(t.data());
  p.push_back(nullptr);
  return p;
}

}  // namespace

ChildRun::ChildRun(const std::vector<std::string>& argv, const std::filesystem::path& logs, const ChildEnvironment& env)
    : logs_(logs) {
  std::filesystem::create_directories(logs_);
  const std::string out = (logs_ / "out.txt").string(), err = (logs_ / "err.txt").string();
  std::vector<std::string> args = argv, vars = environment(env);
  const std::vector<char*> arg_ptrs = pointers(args), var_ptrs = pointers(vars);
  pid_ = fork();
  if (pid_ == 0) {
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(o, 1);
    dup2(e, 2);
    execvpe(arg_ptrs[0], arg_ptrs.data(), var_ptrs.data());
    _exit(127);
  }
}

ChildRun::~ChildRun() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

int ChildRun::wait(int timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= end) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      pid_ = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildRun::signal(int sig) const {
  if (pid_ > 0) kill(pid_, sig);
}

std::string ChildRun::out() const { return slurp(logs_ / "out.txt"); }
std::string ChildRun::err() const { return slurp(logs_ / "err.txt"); }

ChildResult run_child(const std::vector<std::string>& argv, const std::filesystem::path& logs,
                      const ChildEnvironment& env) {
  ChildRun run(argv, logs, env);
  ChildResult r;
  r.code = run.wait();
  r.out = run.out();
  r.err = run.err();
  return r;
}

}  // namespace wellvue::test
