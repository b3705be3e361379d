// The format list and current format of a capture source, read from its device's caps; choosing
// a format sets the caps of the format filter that follows the source.
#pragma once
#include <memory>

#include "capture/graph_backend.h"
#include "capture/gst/gst_filter.h"

namespace wellvue::gst {

class GstStreamConfig : public StreamConfig {
 public:
  explicit GstStreamConfig(std::shared_ptr<GstFilter> source) : source_(std::move(source)) {}
  HResult get_number_of_capabilities(int& count) override;
  HResult get_stream_caps(int index, MediaFormat& format, VideoCapability& capability) override;
  HResult get_format(MediaFormat& format) override;
  HResult set_format(const MediaFormat& format) override;

 private:
  bool video() const { return source_->role == FilterRole::VideoSource; }
  std::shared_ptr<GstFilter> source_;
};

// Puts the device's preferred format (its first capability) into the format filter.
void select_default_format(GstFilter& source);

}  // namespace wellvue::gst
