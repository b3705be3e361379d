// Puts the C library in a French desktop's locale for one test, and the previous one back after:
// there strtod reads "12.34" as 12, so a number that goes through the C library shows.
#pragma once
#include <clocale>
#include <cstdlib>
#include <string>

namespace wellvue::test {

class FrenchLocale {
 public:
  FrenchLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {
    // Active only where the locale is installed (scripts/install-deps.sh generates it) and really
    // has the comma.
    active_ = std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr && std::strtod("0.5", nullptr) == 0.0;
  }
  ~FrenchLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  FrenchLocale(const FrenchLocale&) = delete;
  FrenchLocale& operator=(const FrenchLocale&) = delete;

  bool active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

}  // namespace wellvue::test
