// How late a 10 ms timer fires on the GUI thread while the link window polls a simulated board
// streaming 50 lines per second, with both windows shown and every diagnostic column on.
// Usage: wellvue_link_window_bench [--seconds S] [--rate LINES_PER_S]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/link_window/settings_host.h"
#include "app/link_window/tform1.h"
#include "sim_board.h"
#include "util/scripted_prompter.h"

namespace {

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const auto i = static_cast<std::size_t>(p / 100.0 * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 20;
  int rate = 50;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[++i]);
    else if (std::strcmp(argv[i], "--rate") == 0) rate = std::atoi(argv[++i]);
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  wellvue::SimBoard board;
  wellvue::SimOptions sim;
  sim.period_ms = std::max(1, 1000 / std::max(rate, 1));
  sim.boot_ms = 100;
  std::atomic<bool> stop{false};
  std::atomic<long long> sent{0};
  std::thread board_thread([&] { sent = board.run(sim, stop); });

  // A main window with the controls the link writes to.
  QWidget main;
  auto* label2 = new QLabel(QStringLiteral("0.00 m"), &main);
  label2->setObjectName(QStringLiteral("Label2"));
  label2->setGeometry(10, 10, 600, 50);
  auto* circ = new QLineEdit(QStringLiteral("405"), &main);
  circ->setObjectName(QStringLiteral("Edit_circ"));
  main.resize(640, 100);
  main.show();

  QTemporaryDir dir;
  wellvue::ScriptedPrompter prompter;
  wellvue::PlainSettingsHost host(&main);
  wellvue::LinkWindowOptions options;
  options.settings = &host;
  options.executable_path = QDir(dir.path()).filePath(QStringLiteral("wellvue"));
  const std::string port = board.slave_path();
  options.system_ports = [port] { return std::vector<std::string>{port}; };
  wellvue::TForm1 form(&main, prompter, options);
  form.design().CheckBox_options_avancees->setChecked(true);
  form.show();
  form.CheckBox_options_avanceesClick();

  // Wait for the open to finish and the first lines to flow, outside the measurement.
  QElapsedTimer warm;
  warm.start();
  while ((!form.link().polling() || label2->text() == QStringLiteral("0.00 m")) && warm.elapsed() < 15000) {
    app.processEvents(QEventLoop::AllEvents, 10);
  }
  if (!form.link().polling()) {
    std::fprintf(stderr, "the simulated board's port did not open\n");
    stop = true;
    board_thread.join();
    return 1;
  }

  std::vector<double> lateness;
  QElapsedTimer clock;
  clock.start();
  const long long lines_before = form.link().state().tics;
  qint64 armed = 0;
  QTimer tick;
  tick.setSingleShot(true);
  tick.setTimerType(Qt::PreciseTimer);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    lateness.push_back(static_cast<double>(now - armed) / 1e6 - 10.0);
    if (static_cast<double>(now) / 1e9 >= seconds) {
      app.quit();
      return;
    }
    armed = clock.nsecsElapsed();
    tick.start(10);
  });
  armed = clock.nsecsElapsed();
  tick.start(10);
  app.exec();
  const long long lines = form.link().state().tics - lines_before;

  stop = true;
  board_thread.join();
  std::printf("GUI event latency (10 ms timer lateness) over %.0f s, board at %d lines/s, %lld lines decoded\n",
              seconds, rate, lines);
  std::printf("  samples %zu  p50 %.2f ms  p99 %.2f ms  max %.2f ms  (target p99 <= 30 ms)\n", lateness.size(),
              percentile(lateness, 50), percentile(lateness, 99),
              lateness.empty() ? 0.0 : *std::max_element(lateness.begin(), lateness.end()));
  return percentile(lateness, 99) <= 30.0 ? 0 : 2;
}
