// Export speed: a DV AVI from a 640x480 test pattern (the camera's size, scaled to DV's 720x576
// as the station records it) with a depth track of ten entries a second, exported by
// wellvue-export to Matroska, to MP4 and burned-in; the speed factor is the video's length over
// the wall time of each export. Target: at least 4x real time on the station's 2-core machines.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string code(long ms) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld,%03ld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
  return buf;
}

// Runs to the end, its messages kept out of the figures.
int run(const std::vector<std::string>& argv) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    std::vector<char*> args;
    std::vector<std::string> copy = argv;
    for (auto& a : copy) args.push_back(a.data());
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  const fs::path folder = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "wellvue-export-bench";
  const double target = 4.0;
  fs::create_directories(folder);
  const fs::path avi = folder / "bench.avi";
  std::printf("making %d s of DV (640x480 test pattern scaled to 720x576) in %s\n", seconds, avi.c_str());
  if (run({"gst-launch-1.0", "-q", "videotestsrc", "num-buffers=" + std::to_string(seconds * 25), "horizontal-speed=4",
           "!", "video/x-raw,width=640,height=480,framerate=25/1", "!", "videoscale", "!",
           "video/x-raw,width=720,height=576", "!", "avenc_dvvideo", "!", "avimux", "!", "filesink",
           "location=" + avi.string()}) != 0) {
    std::fprintf(stderr, "the DV test recording could not be made (gst-launch-1.0, avenc_dvvideo)\n");
    return 1;
  }
  {
    std::ofstream srt(folder / "bench.srt", std::ios::binary);
    long n = 1;
    for (long ms = 0; ms < seconds * 1000L; ms += 100, ++n)
      srt << n << "\r\n"
          << code(ms) << " --> " << code(ms + 100) << "\r\nP12" << std::string(35, ' ') << ms / 1000 << ","
          << (ms / 10) % 100 / 10 << (ms / 10) % 10 << "m      ---\r\n\r\n";
  }
  struct Case {
    const char* name;
    std::vector<std::string> args;
  };
  const std::vector<Case> cases{
      {"mkv", {"--format", "mkv"}}, {"mp4", {"--format", "mp4"}}, {"mkv --burn", {"--format", "mkv", "--burn"}}};
  bool met = true;
  for (const auto& c : cases) {
    std::vector<std::string> args{WELLVUE_EXPORT_TOOL, (folder / "bench").string(), "--replace", "--output",
                                  (folder / "bench-out").string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto start = std::chrono::steady_clock::now();
    const int status = run(args);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double factor = seconds / wall;
    std::printf("%-12s %6.2f s for %d s of video: %5.1fx real time (target >= %.0fx)%s\n", c.name, wall, seconds,
                factor, target,
                status != 0       ? "  FAILED"
                : factor < target ? "  MISSED"
                                  : "");
    met = met && status == 0 && factor >= target;
  }
  fs::remove(folder / "bench-out");
  return met ? 0 : 1;
}
