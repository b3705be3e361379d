#include "app/services/gui_poster.h"

#include <QMetaObject>

namespace wellvue {

GuiPoster::GuiPoster() : receiver_(std::make_unique<QObject>()), shared_(std::make_shared<Shared>()) {
  shared_->receiver = receiver_.get();
}

GuiPoster::~GuiPoster() {
  {
    // After this no thread can reach the receiver; calls already queued die with it.
    std::lock_guard lock(shared_->mutex);
    shared_->receiver = nullptr;
  }
  receiver_.reset();
}

void GuiPoster::post_to(const std::shared_ptr<Shared>& shared, std::function<void()> fn) {
  std::lock_guard lock(shared->mutex);
  if (shared->receiver == nullptr) return;
  QMetaObject::invokeMethod(shared->receiver, std::move(fn), Qt::QueuedConnection);
}

void GuiPoster::post(std::function<void()> fn) { post_to(shared_, std::move(fn)); }

std::function<void(std::function<void()>)> GuiPoster::sink() {
  std::shared_ptr<Shared> shared = shared_;
  return [shared](std::function<void()> fn) { post_to(shared, std::move(fn)); };
}

}  // namespace wellvue
