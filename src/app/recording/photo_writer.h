// Writes the operator's photos one after the other on a thread of its own, so that the GUI thread
// never waits for the encoding or the disk (a slow USB stick); each write's end comes back on the
// GUI thread, in the order of the presses.
#pragma once
#include <QObject>
#include <QThreadPool>
#include <deque>
#include <functional>
#include <mutex>

namespace wellvue {

class PhotoWriter {
 public:
  PhotoWriter();
  // Waits for the writes handed over: a photo is never left half written.
  ~PhotoWriter();
  PhotoWriter(const PhotoWriter&) = delete;
  PhotoWriter& operator=(const PhotoWriter&) = delete;

  // Runs `write` on the writer's thread once the writes before it are done, then `done` on the
  // GUI thread.
  void add(std::function<void()> write, std::function<void()> done);
  // Waits until every write handed over is done and its `done` has run (here, on the GUI thread).
  void wait();
  // Writes handed over whose `done` has not run yet.
  int pending() const { return pending_; }

 private:
  void run_done();

  QThreadPool pool_;
  QObject gui_context_;  // lives on the GUI thread: the ends are queued to it
  std::mutex mutex_;
  std::deque<std::function<void()>> finished_;  // ends whose write is done, oldest first
  int pending_ = 0;
};

}  // namespace wellvue
