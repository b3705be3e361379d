// The desktop's ways of ending the station without its windows: SIGTERM (the session ends, a
// shutdown), SIGHUP (the terminal it was started from closes) and SIGINT. Each is turned into a
// call on the GUI thread, so that a recording under way is stopped as the stop button stops it.
#pragma once
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace wellvue {

class QuitSignals : public QObject {
 public:
  // Only one at a time: the signals have one handler in the process.
  explicit QuitSignals(std::function<void(int signal)> on_signal, QObject* parent = nullptr);
  ~QuitSignals() override;
  QuitSignals(const QuitSignals&) = delete;
  QuitSignals& operator=(const QuitSignals&) = delete;

 private:
  std::function<void(int)> on_signal_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace wellvue
