// Times wellvue-srt on generated subtitle tracks of three sizes (the largest 1,000,000 lines) for
// both operations, and reports the time per million lines, so a growth that is not linear shows.
//   wellvue_srt_bench [--tool PATH] [--dir FOLDER] [--repeat N]
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "subtitles/time_codes.h"
#include "util/text.h"

namespace fs = std::filesystem;

namespace {

// A track as a recording writes it: entries of four lines, depth texts right-aligned with a
// no-break space and blanks, a time code every 200 ms.
void write_track(const fs::path& file, long lines) {
  std::string out;
  out.reserve(static_cast<std::size_t>(lines) * 32);
  const long entries = lines / 4;
  const std::string pad = "\xa0" + wellvue::repeat_char(' ', 37);
  for (long e = 0; e < entries; ++e) {
    out += std::to_string(e + 1) + "\r\n";
    out += wellvue::format_time_code(e * 0.2) + " --> " + wellvue::format_time_code((e + 1) * 0.2) + "\r\n";
    out += pad + std::to_string(e % 5000 / 100) + "," + wellvue::two_digits(static_cast<unsigned>(e % 100)) +
           "m      ---\r\n";
    out += "\r\n";
  }
  std::ofstream(file, std::ios::binary) << out;
}

// Runs the tool with its output thrown away; the wall time in seconds, or -1 on failure.
double run_tool(const std::string& tool, const std::vector<std::string>& args) {
  std::fflush(stdout);  // the child must not print our buffered lines again
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(tool.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(tool.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const auto t1 = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double>(t1 - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::string tool = WELLVUE_SRT_BINARY;
  fs::path dir = fs::temp_directory_path() / ("wellvue-srt-bench-" + std::to_string(getpid()));
  int repeat = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--tool") == 0) tool = argv[i + 1];
    else if (std::strcmp(argv[i], "--dir") == 0) dir = argv[i + 1];
    else if (std::strcmp(argv[i], "--repeat") == 0) repeat = std::max(1, std::atoi(argv[i + 1]));
  }
  fs::create_directories(dir);
  const long sizes[] = {250000, 500000, 1000000};
  std::printf("wellvue-srt, best of %d runs (wall time)\n", repeat);
  std::printf("%10s %10s %10s %10s %14s %14s\n", "lines", "MB", "scale s", "t0 s", "scale s/Mline", "t0 s/Mline");
  bool ok = true;
  for (long n : sizes) {
    const fs::path file = dir / ("track" + std::to_string(n) + ".srt");
    write_track(file, n);
    double best_scale = 1e9, best_t0 = 1e9;
    for (int r = 0; r < repeat; ++r) {
      const double s = run_tool(tool, {"scale", file.string(), "--video", "12:30"});
      const double t = run_tool(tool, {"t0", file.string(), "--offset", "1,5"});
      if (s < 0 || t < 0) ok = false;
      best_scale = std::min(best_scale, s);
      best_t0 = std::min(best_t0, t);
    }
    std::printf("%10ld %10.1f %10.3f %10.3f %14.3f %14.3f\n", n, static_cast<double>(fs::file_size(file)) / 1e6,
                best_scale, best_t0, best_scale * 1e6 / static_cast<double>(n), best_t0 * 1e6 / static_cast<double>(n));
    std::fflush(stdout);
  }
  fs::remove_all(dir);
  if (!ok) {
    std::fprintf(stderr, "a run of the tool failed\n");
    return 1;
  }
  return 0;
}
