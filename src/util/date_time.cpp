#include "util/date_time.h"

#include <ctime>

#include "util/text.h"

namespace wellvue {

LocalDateTime to_local(std::chrono::system_clock::time_point t) {
  using namespace std::chrono;
  const auto since_epoch = t.time_since_epoch();
  auto secs = duration_cast<seconds>(since_epoch);
  auto ms = duration_cast<milliseconds>(since_epoch - secs).count();
  if (ms < 0) {  // before 1970: keep the millisecond field in 0..999
    ms += 1000;
    secs -= seconds(1);
  }
  const std::time_t tt = static_cast<std::time_t>(secs.count());
  std::tm tm{};
  localtime_r(&tt, &tm);
  LocalDateTime d;
  d.year = tm.tm_year + 1900;
  d.month = tm.tm_mon + 1;
  d.day = tm.tm_mday;
  d.hour = tm.tm_hour;
  d.minute = tm.tm_min;
  d.second = tm.tm_sec;
  d.millisecond = static_cast<int>(ms);
  return d;
}

LocalDateTime local_now() { return to_local(std::chrono::system_clock::now()); }

namespace {
std::string two(int n) { return two_digits(static_cast<unsigned long long>(n < 0 ? 0 : n)); }
std::string four(int n) {
  std::string s = std::to_string(n < 0 ? 0 : n);
  return s.size() < 4 ? std::string(4 - s.size(), '0') + s : s;
}
}  // namespace

std::string file_date_stamp(const LocalDateTime& t) {
  return four(t.year) + "-" + two(t.month) + "-" + two(t.day) + " " + two(t.hour) + "-" + two(t.minute) + "-" +
         two(t.second);
}

std::string default_date_time_text(const LocalDateTime& t) {
  return two(t.day) + "/" + two(t.month) + "/" + four(t.year) + " " + two(t.hour) + "-" + two(t.minute) + "-" +
         two(t.second);
}

}  // namespace wellvue
