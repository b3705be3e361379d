// Hands preview frames from a streaming thread to the GUI thread: only the latest frame is kept,
// and at most one delivery is queued at a time, so a slow GUI never piles frames up.
#pragma once
#include <QImage>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace wellvue {

class FrameSlot {
 public:
  // deliver runs on receiver's thread with the latest frame; it stops once receiver is gone.
  FrameSlot(QObject* receiver, std::function<void(const QImage&)> deliver);

  // Any thread: copies a BGRx picture (stride in bytes) and queues one delivery if none is pending.
  void offer_bgrx(const unsigned char* data, int width, int height, int stride);

  // Frames offered, and frames replaced before the GUI thread took them.
  std::uint64_t offered() const;
  std::uint64_t replaced() const;

 private:
  struct Shared {
    std::mutex mutex;
    QImage latest;
    bool pending = false;
    std::uint64_t offered = 0;
    std::uint64_t replaced = 0;
  };
  static void take(Shared& shared, const std::function<void(const QImage&)>& deliver);

  QPointer<QObject> receiver_;
  std::function<void(const QImage&)> deliver_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace wellvue
