// The main of the test programs without a window: the C library follows the environment's locale,
// as it does in the station (QApplication sets it from the desktop), so that a suite run under
// LC_ALL=fr_FR.UTF-8 meets the decimal comma of a French desktop wherever a number could go
// through the C library.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
