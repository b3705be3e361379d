#include "encoder/clock.h"

#include <chrono>
#include <thread>

namespace wellvue {

double SystemClock::elapsed_ms() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double SystemClock::elapsed_ms_at(std::chrono::steady_clock::time_point when) {
  return std::chrono::duration<double, std::milli>(when.time_since_epoch()).count();
}

void SystemClock::pause_ms(double ms) {
  if (!(ms > 0)) return;
  // sleep_until on the steady clock: a signal or an early wake-up cannot shorten the pause.
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double, std::milli>(ms);
  std::this_thread::sleep_until(std::chrono::time_point_cast<std::chrono::steady_clock::duration>(end));
}

LocalDateTime SystemClock::local_now() { return wellvue::local_now(); }

}  // namespace wellvue
