// Sets the decimal separator for one test and puts the previous one back afterwards.
#pragma once
#include <string>

#include "util/decimal_separator.h"

namespace wellvue::test {

class SeparatorGuard {
 public:
  explicit SeparatorGuard(char sep) : saved_(decimal_separator()) { set_decimal_separator(sep); }
  ~SeparatorGuard() { set_decimal_separator(saved_); }
  SeparatorGuard(const SeparatorGuard&) = delete;
  SeparatorGuard& operator=(const SeparatorGuard&) = delete;

 private:
  char saved_;
};

// Writes a number text with the separator: "4.04" under ',' gives "4,04".
inline std::string with_sep(std::string text, char sep) {
  for (char& ch : text)
    if (ch == '.') ch = sep;
  return text;
}

}  // namespace wellvue::test
