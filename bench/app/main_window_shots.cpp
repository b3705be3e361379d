// Shows the station with the test-pattern camera chosen and steps through the window's looks,
// a few seconds each, for screenshots of the real window (run under Xvfb, capture with `import`):
// "normal" with the live picture, "clair" with the calibration panel, "sombre" with the curb panel.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/main_window/station.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int step_ms = argc > 1 ? std::atoi(argv[1]) : 3000;
  wellvue::Station station({true});
  wellvue::TFormMain& m = station.main_form();
  m.engine().FillConfig(m.config());
  m.config()->VideoSourceName = "Mire de test";
  m.config()->WantCapture = true;
  m.engine().ApplyConfig(m.config());
  m.enable_button(m.Panel_start_capture);
  std::printf("normal\n");
  std::fflush(stdout);
  QTimer::singleShot(step_ms, [&m] {
    m.contraste_items->button(1)->setChecked(true);
    m.Panel_calibration->show();
    m.Panel_calibration->raise();
    std::printf("clair\n");
    std::fflush(stdout);
  });
  QTimer::singleShot(2 * step_ms, [&m] {
    m.Panel_calibration->hide();
    m.contraste_items->button(2)->setChecked(true);
    m.Panel_margelle->show();
    m.Panel_margelle->raise();
    std::printf("sombre\n");
    std::fflush(stdout);
  });
  QTimer::singleShot(3 * step_ms, [] { QCoreApplication::exit(0); });
  return app.exec();
}
