#include "descent_profile.h"

#include <algorithm>
#include <cmath>

namespace wellvue {

namespace {

class Lines {
 public:
  explicit Lines(const DescentProfile& p) : p_(p) {}
  void hold(double seconds) {
    for (int i = 0; i < periods(seconds); ++i) add();
  }
  // Moves the cable to `to_m` at `speed` metres per second.
  void move_to(double to_m, double speed) {
    const double from = at_m_;
    const int n = std::max(1, speed > 0 ? periods(std::abs(to_m - from) / speed) : 1);
    for (int i = 1; i <= n; ++i) {
      at_m_ = from + (to_m - from) * i / n;
      add();
    }
  }
  std::vector<std::string> take() { return std::move(out_); }

 private:
  int periods(double seconds) const { return static_cast<int>(std::lround(seconds * 1000.0 / p_.period_ms)); }
  void add() { out_.push_back(std::to_string(std::lround(at_m_ * p_.tics_per_metre)) + "|"); }

  const DescentProfile& p_;
  double at_m_ = 0;
  std::vector<std::string> out_;
};

}  // namespace

std::vector<std::string> descent_lines(const DescentProfile& p) {
  Lines lines(p);
  lines.hold(p.pause_s);
  const double stage = p.stage_m > 0 ? p.stage_m : p.depth_m;
  for (double at = 0; at < p.depth_m;) {
    at = std::min(p.depth_m, at + stage);
    lines.move_to(at, p.down_m_per_s);
    lines.hold(p.pause_s);
  }
  lines.move_to(0, p.up_m_per_s);
  return lines.take();
}

}  // namespace wellvue
