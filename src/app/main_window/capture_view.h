// The capture control `cap` of the main window: a Qt widget that hosts the capture engine, shows
// its preview pictures stretched to the chosen aspect in its area and gives the engine the GUI
// thread it runs on.
#pragma once
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/main_window/frame_slot.h"
#include "app/main_window/layout_rules.h"
#include "app/main_window/qt_scheduler.h"
#include "capture/graph_backend.h"
#include "capture/video_capture.h"
#include "util/prompter.h"

namespace wellvue {

class CaptureView : public QWidget, public VideoSurface {
  Q_OBJECT
 public:
  // Makes the platform backend over the view's owner-thread scheduler.
  using BackendFactory = std::function<std::unique_ptr<GraphBackend>(Scheduler&)>;

  // The view hosts an engine over the backend `make_backend` gives; the engine reports through
  // `prompter`.
  CaptureView(const BackendFactory& make_backend, Prompter& prompter, QWidget* parent = nullptr);
  ~CaptureView() override;

  TVideoCapture& engine() { return *engine_; }
  GraphBackend& backend() { return *backend_; }

  // Streaming thread: keeps a copy of the picture and has the GUI thread show it.
  void present(const VideoFrame& frame) override;

  // The picture shown now (null before the first frame or after clear_picture()).
  const QImage& picture() const { return picture_; }
  std::uint64_t pictures_shown() const { return shown_; }
  void clear_picture();

  // The aspect the picture is drawn at: it fills the view when the view has that aspect, and is
  // letterboxed (centred, background around it) when the window could not give it the width.
  void set_aspect(Aspect aspect);
  // Where the picture is drawn in the view.
  QRect picture_rect() const;

 signals:
  // A new picture was taken on the GUI thread and is about to be painted.
  void picture_changed();
  // The host's client size changed: the picture follows it.
  void area_resized(int width, int height);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void show_picture(const QImage& image);

  FrameSlot slot_;
  // Declared in this order so that the engine, which drives the backend and the scheduler, is the
  // first to go.
  QtScheduler scheduler_;
  std::unique_ptr<GraphBackend> backend_;
  std::unique_ptr<TVideoCapture> engine_;
  QImage picture_;
  std::uint64_t shown_ = 0;
  Aspect aspect_;
};

}  // namespace wellvue
