#include "app/recording/photo_writer.h"

#include <QMetaObject>

namespace wellvue {

PhotoWriter::PhotoWriter() {
  // One thread: the photos are written in the order of the presses, and a name numbered for a
  // photo already sees the one before it on the disk.
  pool_.setMaxThreadCount(1);
  // The thread stays for the next press rather than being made again for each.
  pool_.setExpiryTimeout(-1);
}

PhotoWriter::~PhotoWriter() { wait(); }

void PhotoWriter::add(std::function<void()> write, std::function<void()> done) {
  ++pending_;
  pool_.start([this, write = std::move(write), done = std::move(done)]() mutable {
    write();
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      finished_.push_back(std::move(done));
    }
    QMetaObject::invokeMethod(
        &gui_context_, [this] { run_done(); }, Qt::QueuedConnection);
  });
}

void PhotoWriter::wait() {
  pool_.waitForDone();
  run_done();
}

void PhotoWriter::run_done() {
  for (;;) {
    std::function<void()> done;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (finished_.empty()) return;
      done = std::move(finished_.front());
      finished_.pop_front();
    }
    // An end may open a box (a nested loop that runs the next ends): each is taken out first.
    --pending_;
    done();
  }
}

}  // namespace wellvue
