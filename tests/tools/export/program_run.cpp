#include "program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace wellvue::test {
namespace {

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

ProgramRun::ProgramRun(const std::vector<std::string>& argv, const std::filesystem::path& logs) : logs_(logs) {
  std::filesystem::create_directories(logs_);
  const std::string out = (logs_ / "out.txt").string(), err = (logs_ / "err.txt").string();
  pid_ = fork();
  if (pid_ == 0) {
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(o, 1);
    dup2(e, 2);
    std::vector<std::string> copy = argv;
    std::vector<char*> args;
    for (auto& a : copy) args.push_back(a.data());
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
}

ProgramRun::~ProgramRun() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

int ProgramRun::wait(int timeout_ms) {
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

void ProgramRun::signal(int sig) const {
  if (pid_ > 0) kill(pid_, sig);
}

std::string ProgramRun::out() const { return slurp(logs_ / "out.txt"); }
std::string ProgramRun::err() const { return slurp(logs_ / "err.txt"); }

int run_program(const std::vector<std::string>& argv, std::string& out, const std::filesystem::path& logs) {
  ProgramRun run(argv, logs);
  const int code = run.wait();
  out = run.out();
  return code;
}

}  // namespace wellvue::test
