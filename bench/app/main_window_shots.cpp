// Runs the demo station (simulated board, test-pattern camera) with both windows shown and saves
// screenshots of the whole screen, one per colour scheme, each with one of the overlays:
// "normal" with the live picture, "clair" with the calibration panel, "sombre" with the curb panel.
// Run under a real X server or Xvfb:  main_window_shots OUTPUT_FOLDER [STEP_MS]
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "demo.h"

namespace {

void shoot(const QString& folder, const char* name) {
  const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
  const QString path = folder + "/demo-" + name + ".png";
  std::printf("%s: %s\n", name, shot.save(path) ? qPrintable(path) : "not saved");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: main_window_shots OUTPUT_FOLDER [STEP_MS]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  const int step_ms = argc > 2 ? std::atoi(argv[2]) : 8000;
  wellvue::Demo demo;
  wellvue::Station station(demo.station_options());
  wellvue::TFormMain& m = station.main_form();
  wellvue::TForm1& link = station.link_window();
  if (!wellvue::Demo::choose_test_camera(m)) std::fprintf(stderr, "the test-pattern camera was not chosen\n");
  // The link window beside the main one, as "Port COM RS232" shows it.
  link.show();
  link.move(40, 60);
  m.raise();

  QTimer::singleShot(step_ms, [&] {
    shoot(out, "normal");
    link.grab().save(out + "/demo-link-window.png");
  });
  QTimer::singleShot(step_ms + 500, [&] {
    m.contraste_items->button(1)->setChecked(true);
    m.Panel_calibration->show();
    m.Panel_calibration->raise();
  });
  QTimer::singleShot(2 * step_ms, [&] { shoot(out, "clair"); });
  QTimer::singleShot(2 * step_ms + 500, [&] {
    m.Panel_calibration->hide();
    m.contraste_items->button(2)->setChecked(true);
    m.ComboBox1->setEditText("50 cm");
    m.Panel_margelle->show();
    m.Panel_margelle->raise();
  });
  QTimer::singleShot(3 * step_ms, [&] { shoot(out, "sombre"); });
  QTimer::singleShot(3 * step_ms + 200, [] { QCoreApplication::exit(0); });
  return app.exec();
}
