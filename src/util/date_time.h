// Date and time texts: the file-name date stamp and the default date-time text of the station.
#pragma once
#include <chrono>
#include <string>

namespace wellvue {

// Broken-down local time, so tests can give any moment.
struct LocalDateTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
};

LocalDateTime local_now();
LocalDateTime to_local(std::chrono::system_clock::time_point t);
// yyyy-mm-dd hh-mm-ss
std::string file_date_stamp(const LocalDateTime& t);
// Short date, a blank, long time with the hyphen as time separator: "06/12/2026 17-19-33".
std::string default_date_time_text(const LocalDateTime& t);

}  // namespace wellvue
