// The station program: the main window and the link window over the event loop.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/main_window/station.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  wellvue::StationOptions options;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--test-source") == 0) {
      options.test_source = true;
    } else {
      std::fprintf(stderr, "usage: wellvue [--test-source]\n  --test-source  offer the test-pattern camera \"Mire de test\"\n");
      return 2;
    }
  }
  wellvue::Station station(options);
  return app.exec();
}
