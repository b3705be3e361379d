#include "capture/gst/latest_frame.h"

#include <utility>

namespace wellvue::gst {

LatestFrame::~LatestFrame() { clear(); }

void LatestFrame::watch(const std::shared_ptr<LatestFrame>& latest, GstPad* pad) {
  gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &LatestFrame::on_buffer, new std::shared_ptr<LatestFrame>(latest),
                    [](gpointer p) { delete static_cast<std::shared_ptr<LatestFrame>*>(p); });
}

GstPadProbeReturn LatestFrame::on_buffer(GstPad* pad, GstPadProbeInfo* info, gpointer self) {
  GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
  if (buffer) (*static_cast<std::shared_ptr<LatestFrame>*>(self))->store(buffer, gst_pad_get_current_caps(pad));
  return GST_PAD_PROBE_OK;
}

void LatestFrame::store(GstBuffer* buffer, GstCaps* caps) {
  gst_buffer_ref(buffer);
  {
    std::lock_guard lock(mutex_);
    std::swap(buffer_, buffer);
    std::swap(caps_, caps);
    arrived_ = std::chrono::steady_clock::now();
  }
  // The previous frame goes back to the source's pool outside the lock.
  if (buffer) gst_buffer_unref(buffer);
  if (caps) gst_caps_unref(caps);
}

GstSample* LatestFrame::sample(std::chrono::milliseconds max_age) const {
  std::lock_guard lock(mutex_);
  if (!buffer_ || !caps_ || std::chrono::steady_clock::now() - arrived_ > max_age) return nullptr;
  return gst_sample_new(buffer_, caps_, nullptr, nullptr);
}

void LatestFrame::clear() {
  GstBuffer* buffer = nullptr;
  GstCaps* caps = nullptr;
  {
    std::lock_guard lock(mutex_);
    std::swap(buffer_, buffer);
    std::swap(caps_, caps);
  }
  if (buffer) gst_buffer_unref(buffer);
  if (caps) gst_caps_unref(caps);
}

}  // namespace wellvue::gst
