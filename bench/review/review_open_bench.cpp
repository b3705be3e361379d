// Time from asking for the review of a recording to its window showing the first picture (the
// depth record read, the thumbnails loaded, the player prerolled), then of a seek to a typed depth.
// Target: under a second to open. Usage: review_open_bench [REC.avi] [--runs N]; without REC it
// makes a 60 s recording with wellvue-record first.
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/review/review_picture.h"
#include "app/review/review_window.h"
#include "util/scripted_prompter.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  std::string rec;
  int runs = 5;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::atoi(argv[++i]);
    else rec = argv[i];
  }
  std::filesystem::path made;
  if (rec.empty()) {
    made = std::filesystem::temp_directory_path() / ("wellvue-review-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(made);
    const std::string command = std::string(WELLVUE_RECORD_TOOL) +
                                " --test-source --simulate-board --seconds 60 --snapshot-at 10 --observe-at "
                                "30=Corrosion --no-date --prefix BENCH --folder '" +
                                made.string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "wellvue-record failed\n");
      return 2;
    }
    rec = (made / "BENCH.avi").string();
  }
  wellvue::ScriptedPrompter prompter;
  std::vector<double> open_ms, seek_ms;
  for (int run = 0; run < runs; ++run) {
    QElapsedTimer clock;
    clock.start();
    wellvue::ReviewWindow window(rec, prompter);
    std::string error;
    if (!window.open(error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 2;
    }
    window.show();
    while (window.picture()->pictures_shown() == 0 && clock.elapsed() < 10000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      QThread::usleep(200);
    }
    open_ms.push_back(clock.nsecsElapsed() / 1e6);
    clock.restart();
    window.go_to_depth(window.recording().track.max_depth() * 0.7);
    seek_ms.push_back(clock.nsecsElapsed() / 1e6);
    std::printf("run %d: open %.0f ms, seek to a depth %.0f ms\n", run + 1, open_ms.back(), seek_ms.back());
  }
  if (!made.empty()) std::filesystem::remove_all(made);
  const double worst = *std::max_element(open_ms.begin(), open_ms.end());
  std::printf("open: worst %.0f ms (target < 1000 ms); seek: worst %.0f ms\n", worst,
              *std::max_element(seek_ms.begin(), seek_ms.end()));
  return worst < 1000 ? 0 : 1;
}
