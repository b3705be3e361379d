#include "util/date_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "util/decimal_separator.h"

namespace wellvue {
namespace {

TEST(DateTimeTest, Texts) {
  struct Case {
    LocalDateTime t;
    const char* stamp;
    const char* text;
  };
  const Case cases[] = {
      {{2024, 5, 1, 14, 3, 22, 0}, "2024-05-01 14-03-22", "01/05/2024 14-03-22"},
      {{2026, 12, 6, 17, 19, 33, 999}, "2026-12-06 17-19-33", "06/12/2026 17-19-33"},
      {{999, 1, 1, 0, 0, 0, 0}, "0999-01-01 00-00-00", "01/01/0999 00-00-00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(file_date_stamp(c.t), c.stamp);
    EXPECT_EQ(default_date_time_text(c.t), c.text);
  }
}

TEST(DateTimeTest, ToLocalUsesTheTimeZone) {
  setenv("TZ", "UTC", 1);
  tzset();
  // 2024-05-01 14:03:22.250 UTC
  const auto t = std::chrono::system_clock::time_point(std::chrono::milliseconds(1714572202250LL));
  const LocalDateTime d = to_local(t);
  EXPECT_EQ(file_date_stamp(d), "2024-05-01 14-03-22");
  EXPECT_EQ(d.millisecond, 250);
  const auto before = std::chrono::system_clock::time_point(std::chrono::milliseconds(-1));
  const LocalDateTime b = to_local(before);
  EXPECT_EQ(file_date_stamp(b), "1969-12-31 23-59-59");
  EXPECT_EQ(b.millisecond, 999);
  unsetenv("TZ");
  tzset();
}

TEST(DecimalSeparatorTest, FromLocaleEnvironment) {
  struct Case {
    const char* lc_all;
    char sep;
  };
  // fr_FR may not be installed: the language alone must still give the comma.
  const Case cases[] = {{"C", '.'},     {"POSIX", '.'},       {"fr_FR.UTF-8", ','},
                        {"de_DE", ','}, {"en_US.UTF-8", '.'}, {"C.UTF-8", '.'}};
  const char saved = decimal_separator();
  for (const auto& c : cases) {
    setenv("LC_ALL", c.lc_all, 1);
    init_decimal_separator_from_locale();
    EXPECT_EQ(decimal_separator(), c.sep) << c.lc_all;
  }
  unsetenv("LC_ALL");
  set_decimal_separator(saved);
}

}  // namespace
}  // namespace wellvue
