#include "app/main_window/frame_slot.h"

#include <QMetaObject>
#include <cstring>

namespace wellvue {

FrameSlot::FrameSlot(QObject* receiver, std::function<void(const QImage&)> deliver)
    : receiver_(receiver), deliver_(std::move(deliver)), shared_(std::make_shared<Shared>()) {}

void FrameSlot::offer_bgrx(const unsigned char* data, int width, int height, int stride) {
  if (!data || width <= 0 || height <= 0 || stride < width * 4) return;
  // BGRx in memory is what QImage calls RGB32 on a little-endian machine.
  QImage copy(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    std::memcpy(copy.scanLine(y), data + static_cast<std::size_t>(y) * stride, static_cast<std::size_t>(width) * 4);
  bool queue = false;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    ++shared_->offered;
    if (shared_->pending) ++shared_->replaced;
    shared_->latest = std::move(copy);
    if (!shared_->pending) {
      shared_->pending = true;
      queue = true;
    }
  }
  if (!queue) return;
  QObject* receiver = receiver_.data();
  if (!receiver) return;
  // A queued call to a destroyed receiver is dropped by Qt.
  QMetaObject::invokeMethod(
      receiver, [shared = shared_, deliver = deliver_] { take(*shared, deliver); }, Qt::QueuedConnection);
}

void FrameSlot::take(Shared& shared, const std::function<void(const QImage&)>& deliver) {
  QImage frame;
  {
    std::lock_guard<std::mutex> lock(shared.mutex);
    frame = std::move(shared.latest);
    shared.latest = QImage();
    shared.pending = false;
  }
  if (!frame.isNull() && deliver) deliver(frame);
}

std::uint64_t FrameSlot::offered() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->offered;
}

std::uint64_t FrameSlot::replaced() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->replaced;
}

}  // namespace wellvue
