// GUI tests run on real widgets with the offscreen platform.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // A runtime folder of this process: the demo keeps its folder there, so tests run side by side
  // never share one.
  char runtime[] = "/tmp/wellvue-runtime-XXXXXX";
  if (!mkdtemp(runtime)) return 2;
  setenv("XDG_RUNTIME_DIR", runtime, 1);
  int result = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  std::error_code ec;
  std::filesystem::remove_all(runtime, ec);
  return result;
}
