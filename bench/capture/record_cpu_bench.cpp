// CPU cost of a recording by the station against GStreamer alone doing the same work.
// The station: wellvue-capture --record for S seconds (default 60) at 640x480, 25 fps, MJPEG
// (jpegenc), with the preview and the frame tap. The reference: a bare gst-launch-1.0 pipeline
// with the same source, tee, encoder, muxer and a preview branch with the same conversion.
// Targets: frames written = 25 x S +- 1, none dropped; CPU ratio station / reference <= 1.15.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Result {
  bool ok = false;
  double cpu_s = 0;
  double wall_s = 0;
  std::string out;
};

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Runs a program to its end; its own CPU time (user + system) and its standard output.
Result run(std::vector<std::string> args, const std::string& out_file) {
  Result r;
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  timespec t0{}, t1{};
  clock_gettime(CLOCK_MONOTONIC, &t0);
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return r;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  clock_gettime(CLOCK_MONOTONIC, &t1);
  r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  r.cpu_s = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  r.wall_s = static_cast<double>(t1.tv_sec - t0.tv_sec) + static_cast<double>(t1.tv_nsec - t0.tv_nsec) / 1e9;
  std::ifstream in(out_file);
  std::stringstream ss;
  ss << in.rdbuf();
  r.out = ss.str();
  return r;
}

long field(const std::string& out, const std::string& key) {
  const auto at = out.find(key);
  return at == std::string::npos ? -1 : std::atol(out.c_str() + at + key.size());
}

}  // namespace

int main(int argc, char** argv) {
  const int secs = argc > 1 ? std::atoi(argv[1]) : 60;
  const long frames = 25L * secs;
  const std::string dir = argc > 2 ? argv[2] : "/tmp";
  const std::string station_file = dir + "/wellvue-bench-station.avi";
  const std::string bare_file = dir + "/wellvue-bench-bare.avi";

  const std::string bare_pipeline =
      "videotestsrc is-live=true pattern=smpte horizontal-speed=2 num-buffers=" + std::to_string(frames) +
      " ! video/x-raw,format=YUY2,width=640,height=480,framerate=25/1 ! tee name=t "
      "t. ! queue leaky=downstream max-size-buffers=0 max-size-bytes=0 max-size-time=2000000000 "
      "! videorate skip-to-first=true ! videoconvert ! jpegenc ! avimux ! filesink async=false location=" +
      bare_file +
      " t. ! queue leaky=downstream max-size-buffers=2 ! videoconvert ! videoscale "
      "! video/x-raw,format=BGRx,width=640,height=480 ! fakesink sync=false";
  std::vector<std::string> bare_args{"gst-launch-1.0", "-q", "-e"};
  std::istringstream words(bare_pipeline);
  for (std::string w; words >> w;) bare_args.push_back(w);

  // Alternate the two, twice each, and compare the least disturbed run of each: the machine is
  // shared, and another process's load inflates CPU time through cache and frequency effects.
  Result station, bare;
  for (int round = 0; round < 2; ++round) {
    const Result s = run({WELLVUE_CAPTURE_TOOL, "--record", station_file, "--seconds", std::to_string(secs),
                          "--test-source", "--preview", "--compressor", "JPEG image encoder"},
                         dir + "/wellvue-bench-station.txt");
    const Result b = run(bare_args, dir + "/wellvue-bench-bare.txt");
    std::printf("round %d: station %.2f s CPU, bare %.2f s CPU\n", round + 1, s.cpu_s, b.cpu_s);
    if (!s.ok || !b.ok) {
      station = s;
      bare = b;
      break;
    }
    if (round == 0 || s.cpu_s < station.cpu_s) station = s;
    if (round == 0 || b.cpu_s < bare.cpu_s) bare = b;
  }
  if (!station.ok || !bare.ok) {
    std::fprintf(stderr, "a run failed (station %d, bare %d)\n%s\n", station.ok, bare.ok, station.out.c_str());
    return 2;
  }
  const long written = field(station.out, "frames written: ");
  const long dropped = field(station.out, "frames dropped: ");
  const long filled = field(station.out, "frames filled: ");
  const double ratio = station.cpu_s / bare.cpu_s;
  const bool frames_ok = written >= frames - 1 && written <= frames + 1 && dropped == 0;
  std::printf(
      "station : %.2f s CPU over %.1f s, frames written %ld, filled %ld, dropped %ld (target %ld +- 1, none dropped): "
      "%s\n",
      station.cpu_s, station.wall_s, written, filled, dropped, frames, frames_ok ? "met" : "MISSED");
  std::printf("bare gst: %.2f s CPU over %.1f s\n", bare.cpu_s, bare.wall_s);
  std::printf("CPU ratio station / bare: %.3f (target <= 1.15): %s\n", ratio, ratio <= 1.15 ? "met" : "MISSED");
  return frames_ok && ratio <= 1.15 ? 0 : 1;
}
