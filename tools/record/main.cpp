// wellvue-record: one recording as the station makes it, from the command line; Ctrl-C stops it as
// the stop button would, and so do SIGTERM and SIGHUP.
#include <signal.h>

#include <atomic>
#include <iostream>
#include <string>
#include <vector>

#include "headless_recording.h"
#include "util/version.h"

namespace {

std::atomic<bool> stop_requested{false};

extern "C" void request_stop(int) { stop_requested = true; }

}  // namespace

int main(int argc, char** argv) {
  if (wellvue::answer_version(argc, argv, "wellvue-record")) return 0;
  using namespace wellvue::record_tool;
  std::string error;
  const auto options = parse_options(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::cerr << "wellvue-record: " << error << '\n' << kUsage;
    return kUsageError;
  }
  if (options->help) {
    std::cout << kUsage;
    return 0;
  }
  struct sigaction sa {};
  sa.sa_handler = request_stop;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  // A terminal closed under it: the recording ends as the stop button ends it, not half-written.
  sigaction(SIGHUP, &sa, nullptr);
  // A reader of the messages that goes away (| head) must not kill the recording half-written.
  signal(SIGPIPE, SIG_IGN);
  return record(*options, std::cout, std::cerr, stop_requested);
}
