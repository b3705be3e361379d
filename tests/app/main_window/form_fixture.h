// A main window on the real GStreamer backend for the tests, with a scripted prompter and the
// station's links and process endings recorded instead of acted upon.
#pragma once
#include <QApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window/main_form.h"
#include "app/main_window/station_backend.h"
#include "util/scripted_prompter.h"

namespace wellvue {

inline void process_until(const std::function<bool()>& done, int timeout_ms = 20000) {
  QDeadlineTimer deadline(timeout_ms);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(2);
  }
}

struct FormFixture {
  ScriptedPrompter prompter;
  std::vector<int> quits;
  std::vector<int> ends;
  int link_shown = 0;
  int water_zeros = 0;
  int saves = 0;
  std::vector<int> start_depths;              // start depths written to the link
  std::vector<std::string> link_depth_texts;  // start depth texts shown in the link window
  int curb_zero_nows = 0;
  std::vector<std::pair<std::string, Sender>> calibrations;  // "start", "stop", "manual"
  std::vector<QString> opened;                               // folders and documents given to the desktop
  std::unique_ptr<TFormMain> form;

  // The window opens on a screen of `available` (a full-HD screen unless told), whatever the
  // offscreen platform's own screen is.
  explicit FormFixture(bool test_source = true, int screen_height = 1080, bool show = true,
                       QRect available = QRect(0, 0, 1920, 1080)) {
    MainFormOptions o;
    o.screen_height = screen_height;
    o.available_area = available;
    o.quit_application = [this](int code) { quits.push_back(code); };
    o.end_process = [this](int code) { ends.push_back(code); };
    o.open_with_desktop = [this](const QString& path) { opened.push_back(path); };
    form = std::make_unique<TFormMain>(station_backend(test_source), prompter, o);
    StationLinks links;
    links.show_link_window = [this] { ++link_shown; };
    links.water_zero = [this] { ++water_zeros; };
    links.save_settings = [this] { ++saves; };
    links.set_start_depth_cm = [this](int cm) { start_depths.push_back(cm); };
    links.show_start_depth_in_link = [this](const std::string& t) { link_depth_texts.push_back(t); };
    links.curb_zero_now = [this] { ++curb_zero_nows; };
    links.calibration_start = [this](Sender s) { calibrations.emplace_back("start", s); };
    links.calibration_stop = [this](Sender s) { calibrations.emplace_back("stop", s); };
    links.calibration_manual = [this](Sender s) { calibrations.emplace_back("manual", s); };
    form->set_links(links);
    if (show) {
      form->show();
      QCoreApplication::processEvents();
    }
  }
  ~FormFixture() {
    // Closing runs the settings write through the links, which die with the fixture.
    form->set_links({});
  }
};

}  // namespace wellvue
