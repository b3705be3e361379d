// The demo station's resident memory and CPU share over a long recording: the test-pattern camera
// recorded with the station's settings while the simulated board makes its slow descents, RSS and
// CPU sampled every 30 s, and the slope of the resident memory after the first minute (the median
// of the slopes between every two samples, beside the least-squares one; target
// <= 5 MB per hour: an eight-hour inspection must not grow the station by more than it uses to
// start). Run under Xvfb (scripts/bench.sh does):
//   station_memory_bench [--seconds S] [--every S] [--link-window]
// --link-window shows the link window with "Options avancées" on, every text area drawn.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "demo.h"
#include "resource_samples.h"

namespace {

using wellvue::bench::ResourceSample;

constexpr double kTargetMbPerHour = 5.0;
constexpr double kWarmUpSeconds = 60.0;

// Answers the station's boxes as an operator starting a plain recording: No to resetting the
// counters at the curb, Yes or OK to everything else.
void answer_open_box() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box) return;
  const bool wants_no = box->text().contains(QStringLiteral("margelle"));
  for (QAbstractButton* b : box->buttons()) {
    const QMessageBox::ButtonRole role = box->buttonRole(b);
    const bool yes = role == QMessageBox::YesRole || role == QMessageBox::AcceptRole;
    if (yes == !wants_no) return b->click();
  }
}

void print_sample(const ResourceSample& s, const ResourceSample& previous) {
  const double wall = s.seconds - previous.seconds;
  const double cpu = wall > 0 ? 100.0 * (s.cpu_seconds - previous.cpu_seconds) / wall : 0.0;
  std::printf("  %6.0f s  RSS %8.1f MB  CPU %5.1f %%\n", s.seconds, s.rss_mb, cpu);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 1800, every = 30;
  bool link_window = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) seconds = std::atof(argv[++i]);
    else if (std::strcmp(argv[i], "--every") == 0 && i + 1 < argc) every = std::atof(argv[++i]);
    else if (std::strcmp(argv[i], "--link-window") == 0) link_window = true;
    else {
      std::fprintf(stderr, "usage: station_memory_bench [--seconds S] [--every S] [--link-window]\n");
      return 2;
    }
  }
  // The demo's folder (settings and videos) is this run's own, removed at the end: a long DV
  // recording is several gigabytes.
  QTemporaryDir runtime;
  if (!runtime.isValid()) return 1;
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
  QApplication app(argc, argv);
  QTimer hand;
  QObject::connect(&hand, &QTimer::timeout, &answer_open_box);
  hand.start(50);

  wellvue::Demo demo;
  wellvue::Station station(demo.station_options());
  wellvue::TFormMain& m = station.main_form();
  if (!wellvue::Demo::choose_test_camera(m)) {
    std::fprintf(stderr, "the test-pattern camera was not chosen\n");
    return 1;
  }
  if (link_window) {
    wellvue::TForm1& link = station.link_window();
    link.design().CheckBox_options_avancees->setChecked(true);
    link.show();
    link.CheckBox_options_avanceesClick();
  }
  m.CheckBox1->setChecked(false);
  m.traite_down(m.Panel_start_capture);
  if (!m.engine().Capturing()) {
    std::fprintf(stderr, "the recording did not start\n");
    return 1;
  }
  std::printf("Demo station recording for %.0f s (link window %s), sampled every %.0f s\n", seconds,
              link_window ? "shown" : "hidden", every);

  QElapsedTimer clock;
  clock.start();
  std::vector<ResourceSample> samples{wellvue::bench::sample_self(0)};
  print_sample(samples.back(), samples.back());
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, [&] {
    samples.push_back(wellvue::bench::sample_self(static_cast<double>(clock.elapsed()) / 1000.0));
    print_sample(samples.back(), samples[samples.size() - 2]);
    // A timer fires a little late or early: the run ends at the sample nearest its length.
    if (samples.back().seconds + every / 2 >= seconds) app.quit();
  });
  sampler.start(static_cast<int>(every * 1000));
  app.exec();

  const auto entries = station.model().link().state().entry_number;
  QElapsedTimer stopping;
  stopping.start();
  m.traite_down(m.Panel_stop_capture);
  // The stop finishes on the event loop: the file closed, the subtitles written whole.
  while (m.engine().Capturing() && stopping.elapsed() < 120000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  std::printf("stopped after %d subtitle entries in %lld ms; RSS then %.1f MB\n", entries,
              static_cast<long long>(stopping.elapsed()), wellvue::bench::sample_self(0).rss_mb);
  const auto t = wellvue::bench::trend_after(samples, kWarmUpSeconds);
  std::printf(
      "RSS slope after the first minute over %d samples: %+.1f MB/h median of pairs (target <= %.0f MB/h), "
      "%+.1f MB/h least squares; CPU %.1f %% of one core\n",
      t.samples, t.median_slope_mb_per_hour, kTargetMbPerHour, t.slope_mb_per_hour, 100.0 * t.cpu_share);
  return t.samples >= 2 && t.median_slope_mb_per_hour <= kTargetMbPerHour ? 0 : 2;
}
