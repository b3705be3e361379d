// The camera's latest frame as it leaves the source's format filter, before any branch converts
// or scales it: one reference to the buffer is kept (no copy), replaced by each new frame.
#pragma once
#include <gst/gst.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

namespace wellvue::gst {

class LatestFrame {
 public:
  LatestFrame() = default;
  ~LatestFrame();
  LatestFrame(const LatestFrame&) = delete;
  LatestFrame& operator=(const LatestFrame&) = delete;

  // Keeps every frame that passes `pad` from now on (a probe holding a share of `latest`).
  static void watch(const std::shared_ptr<LatestFrame>& latest, GstPad* pad);

  // The latest frame with its caps (the caller unrefs it), or null when there is none or it
  // arrived longer ago than `max_age`: a camera that stopped sending has no picture of now.
  GstSample* sample(std::chrono::milliseconds max_age) const;
  // Forgets the frame (the pipeline stopped).
  void clear();

 private:
  void store(GstBuffer* buffer, GstCaps* caps);
  static GstPadProbeReturn on_buffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);

  mutable std::mutex mutex_;
  GstBuffer* buffer_ = nullptr;
  GstCaps* caps_ = nullptr;
  std::chrono::steady_clock::time_point arrived_;
};

}  // namespace wellvue::gst
