// Measures, against the simulated board on a real pseudo-terminal with the default link fields:
//  - depth latency: from the write of a line's last byte to the depth text line produced;
//  - the longest time the owner thread spends in one poll;
//  - the CPU used while the board is silent.
// Usage: wellvue_encoder_bench [--lines N] [--silent-seconds S] [--rate 50|5]
// WELLVUE_BENCH_VERBOSE=1 also lists the lines slower than 20 ms.
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "encoder/clock.h"
#include "encoder/encoder_link.h"
#include "encoder/event_queue.h"
#include "encoder/posix_serial_port.h"
#include "sim_board.h"
#include "util/scripted_prompter.h"

namespace wellvue {
namespace {

class TimingView : public LinkView {
 public:
  EncoderLink* link = nullptr;
  std::map<long long, double> shown;  // count -> time its depth text line was produced
  void set_text(Control c, const std::string&) override {
    if (c == Control::MainLabel2 && link != nullptr) shown.emplace(link->state().tics, monotonic_ms());
  }
};

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const auto i = static_cast<std::size_t>(p / 100.0 * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

double cpu_seconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Rig {
  SimBoard board;
  PosixSerialPort port;
  SystemClock clock;
  ScriptedPrompter prompter;
  TimingView view;
  EventQueue queue;
  std::vector<double> owner_ms;  // time spent in each delivered poll
  EncoderLink link{port, clock, prompter, view, [this](std::function<void()> fn) {
                     queue.post([this, fn = std::move(fn)] {
                       const double t0 = monotonic_ms();
                       fn();
                       owner_ms.push_back(monotonic_ms() - t0);
                     });
                   }};
  Rig() {
    view.link = &link;
    link.fields().ComboBox1_port_com = board.slave_path();
  }
};

void latency_run(int rate, long long lines) {
  Rig rig;
  std::mutex m;
  std::map<long long, double> sent;
  std::atomic<bool> stop{false};
  SimOptions o;
  o.period_ms = 1000 / rate;
  o.start = 1;
  o.boot_ms = 1700;  // starts after the open's pauses
  o.exit_after = lines;
  std::thread sim([&] {
    rig.board.run(o, stop, [&](const std::string& line, double t) {
      std::lock_guard lock(m);
      sent.emplace(std::atoll(line.c_str()), t);
    });
  });
  if (!rig.link.Button1Click()) {
    std::fprintf(stderr, "open failed\n");
    std::exit(1);
  }
  rig.owner_ms.clear();
  const auto limit = std::chrono::milliseconds(static_cast<long long>(lines * o.period_ms + 10000));
  rig.queue.run_until([&] { return rig.view.shown.count(lines) > 0; }, limit);
  stop = true;
  sim.join();
  std::vector<double> lat;
  {
    std::lock_guard lock(m);
    for (const auto& [count, t] : sent) {
      auto it = rig.view.shown.find(count);
      if (it != rig.view.shown.end()) {
        lat.push_back(it->second - t);
        if (std::getenv("WELLVUE_BENCH_VERBOSE") && lat.back() > 20) {
          std::printf("  line %lld: %.2f ms\n", count, lat.back());
        }
      }
    }
  }
  const double longest = rig.owner_ms.empty() ? 0 : *std::max_element(rig.owner_ms.begin(), rig.owner_ms.end());
  std::printf(
      "%2d lines/s: %zu of %lld lines shown; latency p50 %.2f ms, p99 %.2f ms, max %.2f ms; "
      "owner time per poll p99 %.3f ms, longest %.3f ms over %zu polls\n",
      rate, lat.size(), lines, percentile(lat, 50), percentile(lat, 99),
      lat.empty() ? 0 : *std::max_element(lat.begin(), lat.end()), percentile(rig.owner_ms, 99), longest,
      rig.owner_ms.size());
  rig.link.close_without_pause();
}

void silent_run(double seconds) {
  Rig rig;
  if (!rig.link.Button1Click()) {
    std::fprintf(stderr, "open failed\n");
    std::exit(1);
  }
  const double c0 = cpu_seconds();
  const double t0 = monotonic_ms();
  const int polls0 = rig.link.state().poll_count;
  rig.queue.run_until([] { return false; }, std::chrono::milliseconds(static_cast<long long>(seconds * 1000)));
  const double wall = (monotonic_ms() - t0) / 1000.0;
  const double cpu = cpu_seconds() - c0;
  const int polls = rig.link.state().poll_count - polls0;
  std::printf("silent board: %.1f s, %d polls (one every %.1f ms), CPU %.3f%% of a core\n", wall, polls,
              polls > 0 ? wall * 1000 / polls : 0.0, 100.0 * cpu / wall);
  rig.link.close_without_pause();
}

}  // namespace
}  // namespace wellvue

int main(int argc, char** argv) {
  long long lines = 1000;
  double silent = 10;
  int rate = 0;  // 0: both 50 and 5 lines/s
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--lines") lines = std::atoll(argv[i + 1]);
    else if (a == "--silent-seconds") silent = std::atof(argv[i + 1]);
    else if (a == "--rate") rate = std::atoi(argv[i + 1]);
  }
  if (silent > 0) wellvue::silent_run(silent);
  if (rate == 0 || rate == 50) wellvue::latency_run(50, lines);
  if (rate == 0 || rate == 5) wellvue::latency_run(5, lines);
  return 0;
}
