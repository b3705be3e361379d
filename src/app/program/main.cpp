// The station program: the main window and the link window over the event loop.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include "app/main_window/station.h"
#include "app/services/french_translations.h"
#include "demo.h"
#include "util/version.h"

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: wellvue [--demo | --test-source]\n"
               "  --demo         the station without hardware: the test-pattern camera chosen, a\n"
               "                 simulated encoder board (a slow descent with pauses) as the serial\n"
               "                 port, settings and videos in a folder of its own kept across runs\n"
               "  --test-source  offer the test-pattern camera \"Mire de test\"\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (wellvue::answer_version(argc, argv, "wellvue")) return 0;
  QApplication app(argc, argv);
  if (wellvue::install_french_translations().isEmpty())
    std::fprintf(
        stderr, "wellvue: Qt's French translations (qt6-translations-l10n) are missing; its dialogs stay in English\n");
  wellvue::StationOptions options;
  bool demo_wanted = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--test-source") == 0) {
      options.test_source = true;
    } else if (std::strcmp(argv[i], "--demo") == 0) {
      demo_wanted = true;
    } else {
      usage();
      return 2;
    }
  }

  std::unique_ptr<wellvue::Demo> demo;
  if (demo_wanted) {
    try {
      demo = std::make_unique<wellvue::Demo>();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "wellvue: the demo cannot start: %s\n", e.what());
      return 1;
    }
    options = demo->station_options();
    std::printf("wellvue demo: simulated encoder board on %s\n  settings %s\n  videos in %s\n",
                demo->port_path().c_str(), demo->settings_file().toLocal8Bit().constData(),
                demo->video_folder().toLocal8Bit().constData());
    std::fflush(stdout);
  }

  wellvue::Station station(options);
  station.quit_on_signals();
  if (demo) {
    // Once the windows are up, the camera is chosen as the operator would.
    wellvue::TFormMain* main = &station.main_form();
    QTimer::singleShot(0, main, [main] {
      if (!wellvue::Demo::choose_test_camera(*main))
        std::fprintf(stderr, "wellvue: the demo could not choose the test-pattern camera\n");
    });
  }
  return app.exec();
}
