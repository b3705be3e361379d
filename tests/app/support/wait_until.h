// Waits for a condition while the Qt event loop runs (the link's reads and the engine's events
// arrive through it).
#pragma once
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <functional>

namespace wellvue::testing {

// True once pred holds; false when it still does not after timeout_ms.
inline bool wait_until(const std::function<bool()>& pred, int timeout_ms = 30000) {
  QDeadlineTimer deadline(timeout_ms);
  while (!pred()) {
    if (deadline.hasExpired()) return pred();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

}  // namespace wellvue::testing
