// The picture of the review window: the player's frames, drawn at their aspect in the widget.
#pragma once
#include <QImage>
#include <QWidget>
#include <cstdint>

#include "app/main_window/frame_slot.h"
#include "capture/graph_backend.h"

namespace wellvue {

class ReviewPicture : public QWidget, public VideoSurface {
  Q_OBJECT
 public:
  explicit ReviewPicture(QWidget* parent = nullptr);

  // Streaming thread: keeps a copy and has the GUI thread show it.
  void present(const VideoFrame& frame) override;
  // The frame shown now, at the video's own size (null before the first).
  const QImage& picture() const { return picture_; }
  std::uint64_t pictures_shown() const { return shown_; }

 signals:
  void picture_changed();

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  FrameSlot slot_;
  QImage picture_;
  std::uint64_t shown_ = 0;
};

}  // namespace wellvue
