// The process's resident memory and CPU time, sampled over a long run, and the straight line
// through the resident memory after the warm-up: a station that keeps what it shows bounded has
// a flat line whatever the length of the inspection.
#pragma once
#include <vector>

namespace wellvue::bench {

struct ResourceSample {
  double seconds = 0;      // since the start of the run
  double rss_mb = 0;       // resident set, MB (10^6 bytes)
  double cpu_seconds = 0;  // user + system time of every thread so far
};

// This process now, `seconds` into the run.
ResourceSample sample_self(double seconds);

struct ResourceTrend {
  int samples = 0;               // samples fitted (those from `after_seconds` on)
  double slope_mb_per_hour = 0;  // least-squares slope of the resident set
  // The median of the slopes between every two samples: a transient peak (the recording queue
  // filling for a moment on a busy machine) does not tilt it, steady growth does.
  double median_slope_mb_per_hour = 0;
  double cpu_share = 0;  // CPU time over wall time between the first and the last fitted samples
};

// Fits the samples taken at or after after_seconds; fewer than two leave the trend at zero.
ResourceTrend trend_after(const std::vector<ResourceSample>& samples, double after_seconds);

}  // namespace wellvue::bench
