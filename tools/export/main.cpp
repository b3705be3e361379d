// wellvue-export: one recording exported to H.264 with its depth track inside the file; the
// progress on stderr; Ctrl-C cancels and leaves no file.
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "capture/gst/export_pipeline.h"
#include "export/export_job.h"
#include "export_tool_options.h"
#include "util/version.h"

namespace {

std::atomic<bool> cancel_requested{false};

extern "C" void request_cancel(int) { cancel_requested = true; }

}  // namespace

int main(int argc, char** argv) {
  if (wellvue::answer_version(argc, argv, "wellvue-export")) return 0;
  using namespace wellvue;
  using namespace wellvue::export_tool;
  std::string error;
  const auto options = parse_options(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::cerr << "wellvue-export: " << error << '\n' << kUsage;
    return kUsageError;
  }
  if (options->help) {
    std::cout << kUsage;
    return kExported;
  }
  struct sigaction sa {};
  sa.sa_handler = request_cancel;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  gst::GstExportBackend backend;
  int shown = -1;
  auto progress = [&](double fraction) {
    const int percent = static_cast<int>(fraction * 100);
    if (percent == shown) return;
    shown = percent;
    std::fprintf(stderr, "\rexport : %3d %%", percent);
    std::fflush(stderr);
  };
  const exporting::ExportResult result = exporting::run_export(options->exp, backend, progress, cancel_requested);
  if (shown >= 0) std::fputc('\n', stderr);
  if (!result.warning.empty()) std::cerr << "wellvue-export: attention : " << result.warning << '\n';
  if (result.status != exporting::ExportStatus::Done) {
    std::cerr << "wellvue-export: " << result.message << '\n';
    return kFailed;
  }
  std::cout << result.output.string() << '\n';
  return kExported;
}
