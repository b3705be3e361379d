// Hands work from any thread (the serial reader thread) to the GUI thread with a queued Qt call.
// Calls posted after the poster is destroyed, or pending when it is, are dropped.
#pragma once
#include <QObject>
#include <functional>
#include <memory>
#include <mutex>

namespace wellvue {

class GuiPoster {
 public:
  // The GUI-thread object that receives the calls; created in the calling (GUI) thread.
  GuiPoster();
  ~GuiPoster();
  GuiPoster(const GuiPoster&) = delete;
  GuiPoster& operator=(const GuiPoster&) = delete;

  // Thread-safe: queues fn to run on the GUI thread.
  void post(std::function<void()> fn);

  // A copyable function that posts through this poster, for the core's callbacks. It stays safe
  // to call after the poster is gone (the call is then dropped).
  std::function<void(std::function<void()>)> sink();

 private:
  struct Shared {
    std::mutex mutex;
    QObject* receiver = nullptr;  // null once the poster is gone
  };
  static void post_to(const std::shared_ptr<Shared>& shared, std::function<void()> fn);

  std::unique_ptr<QObject> receiver_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace wellvue
