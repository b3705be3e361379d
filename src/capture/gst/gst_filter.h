// What the engine's device and filter handles are in the GStreamer backend: a device wraps a
// GstDevice or a compressor recipe; a filter is a group of elements in the pipeline (a source
// with its format filter and fan-out tee, a tee, the frame tap) or a recipe the recording branch
// instantiates for each recording (compressor, AVI muxer and file writer).
#pragma once
#include <gst/gst.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "capture/graph_backend.h"
#include "capture/gst/compressor_catalog.h"
#include "capture/gst/gst_ptr.h"

namespace wellvue::gst {

class GstCaptureDevice : public CaptureDevice {
 public:
  GstCaptureDevice(DeviceCategory c, ObjectRef<GstDevice> d) : category(c), device(std::move(d)) {}
  GstCaptureDevice(DeviceCategory c, std::shared_ptr<const Compressor> e) : category(c), compressor(std::move(e)) {}
  DeviceCategory category;
  ObjectRef<GstDevice> device;                   // a camera or microphone
  std::shared_ptr<const Compressor> compressor;  // or an encoder
};

enum class FilterRole { VideoSource, AudioSource, Tee, Grabber, VideoEncoder, AudioEncoder, Mux };

class GstFilter : public Filter {
 public:
  explicit GstFilter(FilterRole r) : role(r) {}
  ~GstFilter() override;

  // The src pad to link a new branch from: a request pad of the fan-out tee, or the tap's output.
  GstPad* new_output();
  GstElement* input() const { return elements.empty() ? nullptr : elements.front(); }

  FilterRole role;
  std::string name;  // name in the graph; empty when not in it
  bool in_graph = false;
  // Elements in link order, each one reference owned here; empty for recipes.
  std::vector<GstElement*> elements;
  GstElement* tee = nullptr;  // the fan-out of sources and tees

  // Sources.
  ObjectRef<GstDevice> device;
  GstElement* source = nullptr;      // the device's own element
  GstElement* capsfilter = nullptr;  // the selected format
  CapsPtr device_caps;
  std::atomic<bool> lost{false};
  std::shared_ptr<std::atomic<std::int64_t>> last_frame_ms;  // stall watch (video sources)

  // Encoders: the recipe and its settings ("prop=value" lines).
  std::shared_ptr<const Compressor> compressor;
  std::string settings;

  // Frame tap.
  std::optional<Guid> tap_subtype;  // null subtype: the upstream format
  bool tap_subtype_set = false;
  std::mutex tap_mutex;
  std::function<void()> on_frame;
  std::shared_ptr<std::atomic<bool>> deliver;  // the backend's "frames are live" flag
  bool linked = false;

  // Muxer and file writer.
  std::string path;
};

std::shared_ptr<GstFilter> as_gst(const FilterRef& f);

}  // namespace wellvue::gst
