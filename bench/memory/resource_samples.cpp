#include "resource_samples.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace wellvue::bench {

ResourceSample sample_self(double seconds) {
  ResourceSample s;
  s.seconds = seconds;
  // statm's second field is the resident set in pages; reading it takes no lock in the process.
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    unsigned long size = 0, resident = 0;
    if (std::fscanf(f, "%lu %lu", &size, &resident) == 2)
      s.rss_mb = static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
    std::fclose(f);
  }
  rusage u{};
  if (::getrusage(RUSAGE_SELF, &u) == 0) {
    s.cpu_seconds = static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
                    static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  }
  return s;
}

ResourceTrend trend_after(const std::vector<ResourceSample>& samples, double after_seconds) {
  std::vector<const ResourceSample*> fitted;
  for (const ResourceSample& s : samples)
    if (s.seconds >= after_seconds) fitted.push_back(&s);
  ResourceTrend t;
  t.samples = static_cast<int>(fitted.size());
  if (fitted.size() < 2) return t;
  double mean_h = 0, mean_mb = 0;
  for (const ResourceSample* s : fitted) {
    mean_h += s->seconds / 3600.0;
    mean_mb += s->rss_mb;
  }
  mean_h /= static_cast<double>(fitted.size());
  mean_mb /= static_cast<double>(fitted.size());
  double sxy = 0, sxx = 0;
  for (const ResourceSample* s : fitted) {
    const double dh = s->seconds / 3600.0 - mean_h;
    sxy += dh * (s->rss_mb - mean_mb);
    sxx += dh * dh;
  }
  if (sxx > 0) t.slope_mb_per_hour = sxy / sxx;
  std::vector<double> pairs;
  for (std::size_t i = 0; i < fitted.size(); ++i)
    for (std::size_t j = i + 1; j < fitted.size(); ++j) {
      const double dh = (fitted[j]->seconds - fitted[i]->seconds) / 3600.0;
      if (dh > 0) pairs.push_back((fitted[j]->rss_mb - fitted[i]->rss_mb) / dh);
    }
  if (!pairs.empty()) {
    std::nth_element(pairs.begin(), pairs.begin() + static_cast<std::ptrdiff_t>(pairs.size() / 2), pairs.end());
    t.median_slope_mb_per_hour = pairs[pairs.size() / 2];
  }
  const double wall = fitted.back()->seconds - fitted.front()->seconds;
  if (wall > 0) t.cpu_share = (fitted.back()->cpu_seconds - fitted.front()->cpu_seconds) / wall;
  return t;
}

}  // namespace wellvue::bench
