// The GUI thread as the capture engine needs it: posted work, a repeating timer and the system
// millisecond clock, over Qt's event loop.
#pragma once
#include <QElapsedTimer>

#include "app/services/gui_poster.h"
#include "capture/scheduler.h"

namespace wellvue {

class QtScheduler : public Scheduler {
 public:
  QtScheduler();
  void post(std::function<void()> work) override;
  std::unique_ptr<TickTimer> create_timer(int interval_ms, std::function<void()> tick) override;
  std::uint32_t now_ms() override;

 private:
  GuiPoster poster_;
  QElapsedTimer clock_;
};

}  // namespace wellvue
