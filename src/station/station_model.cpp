#include "station/station_model.h"

#include "encoder/posix_serial_port.h"

namespace wellvue {

StationModel::StationModel(Prompter& prompter, StationModelOptions options)
    : prompter_(prompter), port_(options.port), clock_(options.clock), tool_(prompter) {
  if (!port_) {
    own_port_ = std::make_unique<PosixSerialPort>();
    port_ = own_port_.get();
  }
  if (!clock_) {
    own_clock_ = std::make_unique<SystemClock>();
    clock_ = own_clock_.get();
  }
  link_ = std::make_unique<EncoderLink>(*port_, *clock_, prompter_, relay_,
                                        [this](std::function<void()> fn) { post(std::move(fn)); });
  // What the main window's depth label shows before any line.
  set_depth_text("0.00 m");
}

StationModel::~StationModel() {
  // The reader thread stops with the port; nothing it posts may outlive the model.
  link_->close_without_pause();
  link_.reset();
}

void StationModel::set_post(Post post) {
  const std::lock_guard<std::mutex> lock(post_mutex_);
  post_ = std::move(post);
}

void StationModel::post(std::function<void()> fn) {
  Post target;
  {
    const std::lock_guard<std::mutex> lock(post_mutex_);
    target = post_;
  }
  if (target) target(std::move(fn));
}

}  // namespace wellvue
