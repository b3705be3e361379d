// Time as the encoder link needs it: a monotonic millisecond count for time codes and pauses, and
// the local date and time for the track's start text. Tests give a scripted clock.
#pragma once
#include <chrono>
#include <cstdint>

#include "util/date_time.h"

namespace wellvue {

class Clock {
 public:
  virtual ~Clock() = default;
  // Real milliseconds on a monotonic clock (never goes back, ignores date changes).
  virtual double elapsed_ms() = 0;
  // elapsed_ms() as it read at `when`, a moment already past on the steady clock (a serial read's
  // completion, stamped on the reader thread). A clock that does not follow real time (a test's
  // scripted clock) has no such past and gives elapsed_ms().
  virtual double elapsed_ms_at(std::chrono::steady_clock::time_point when) {
    (void)when;
    return elapsed_ms();
  }
  // Returns once ms milliseconds have passed; sleeps rather than spinning.
  virtual void pause_ms(double ms) = 0;
  virtual LocalDateTime local_now() = 0;
};

// steady_clock and the system's local time.
class SystemClock : public Clock {
 public:
  double elapsed_ms() override;
  double elapsed_ms_at(std::chrono::steady_clock::time_point when) override;
  void pause_ms(double ms) override;
  LocalDateTime local_now() override;
};

}  // namespace wellvue
