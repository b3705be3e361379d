// Devices, graph objects, running and events of the GStreamer backend; branch assembly is in
// gst_graph_render.cpp.
#include "capture/gst/gst_graph_backend.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "capture/gst/bus_errors.h"
#include "capture/gst/compressor_catalog.h"
#include "capture/gst/device_catalog.h"
#include "capture/gst/gst_runtime.h"
#include "capture/gst/gst_stream_config.h"
#include "capture/gst/snapshot_encoder.h"
#include "util/cp1252.h"

namespace wellvue::gst {
namespace {

constexpr HResult REGDB_E_CLASSNOTREG = static_cast<HResult>(0x80040154u);
constexpr HResult E_PATH_NOT_FOUND = static_cast<HResult>(0x80070003u);

std::int64_t now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// One handle per device for the whole process, so a device found again is the same handle.
std::mutex g_identity_mutex;
std::map<const void*, std::weak_ptr<GstCaptureDevice>>& identities() {
  static auto* map = new std::map<const void*, std::weak_ptr<GstCaptureDevice>>;
  return *map;
}

template <typename Make>
std::shared_ptr<GstCaptureDevice> identity_for(const void* key, Make make) {
  std::lock_guard lock(g_identity_mutex);
  auto& slot = identities()[key];
  if (auto existing = slot.lock()) return existing;
  auto made = make();
  slot = made;
  return made;
}

// The settings block of a compressor: property lines the recording applies to each encoder.
class GstCompressorDialogs : public CompressorDialogs {
 public:
  explicit GstCompressorDialogs(std::shared_ptr<GstFilter> f) : filter_(std::move(f)) {}
  HResult get_state(std::string& state) override {
    state = filter_->settings;
    return S_OK;
  }
  HResult set_state(const std::string& state) override {
    filter_->settings = state;
    return S_OK;
  }

 private:
  std::shared_ptr<GstFilter> filter_;
};

// An audio compressor offers no format of its own to choose from.
class NoFormats : public StreamConfig {
 public:
  HResult get_number_of_capabilities(int& count) override {
    count = 0;
    return S_OK;
  }
  HResult get_stream_caps(int, MediaFormat&, VideoCapability&) override { return S_FALSE; }
  HResult get_format(MediaFormat&) override { return E_FAIL; }
  HResult set_format(const MediaFormat&) override { return E_FAIL; }
};

GstPadProbeReturn note_frame(GstPad*, GstPadProbeInfo*, gpointer stamp) {
  (*static_cast<std::shared_ptr<std::atomic<std::int64_t>>*>(stamp))->store(now_ms());
  return GST_PAD_PROBE_OK;
}

ErrorDomain domain_of(GQuark q) {
  if (q == GST_RESOURCE_ERROR) return ErrorDomain::Resource;
  if (q == GST_STREAM_ERROR) return ErrorDomain::Stream;
  if (q == GST_CORE_ERROR) return ErrorDomain::Core;
  if (q == GST_LIBRARY_ERROR) return ErrorDomain::Library;
  return ErrorDomain::Other;
}

}  // namespace

GstGraphBackend::GstGraphBackend(Scheduler& scheduler) : GstGraphBackend(scheduler, Options{}) {}

GstGraphBackend::GstGraphBackend(Scheduler& scheduler, Options options) : scheduler_(scheduler), options_(options) {
  ensure_gstreamer();
  watch_->owner = this;
  removed_listener_ = DeviceCatalog::instance().add_removed_listener([watch = watch_](GstDevice* device) {
    std::lock_guard lock(watch->mutex);
    if (watch->owner) watch->owner->note_source_lost(device);
  });
  watcher_ = std::thread([this] { watch_stalls(); });
}

GstGraphBackend::~GstGraphBackend() {
  DeviceCatalog::instance().remove_removed_listener(removed_listener_);
  {
    std::lock_guard lock(watch_->mutex);
    watch_->owner = nullptr;
  }
  {
    std::lock_guard lock(watch_mutex_);
    quit_ = true;
  }
  watch_cv_.notify_all();
  watcher_.join();
  release_graph();
}

// --- Devices ---------------------------------------------------------------------------------

std::vector<DeviceEntry> GstGraphBackend::enumerate_devices(DeviceCategory category) {
  std::vector<DeviceEntry> out;
  if (!ensure_gstreamer()) return out;
  if (category == DeviceCategory::VideoInput || category == DeviceCategory::AudioInput) {
    auto found = category == DeviceCategory::VideoInput ? DeviceCatalog::instance().video_sources()
                                                        : DeviceCatalog::instance().audio_sources();
    for (auto& d : found) {
      auto handle =
          identity_for(d.device.get(), [&] { return std::make_shared<GstCaptureDevice>(category, d.device); });
      out.push_back({utf8_to_cp1252(d.name), handle});  // the core keeps its texts in CP1252
    }
  } else {
    auto found = category == DeviceCategory::VideoCompressor ? CompressorCatalog::instance().video()
                                                             : CompressorCatalog::instance().audio();
    for (auto& c : found) {
      auto handle = identity_for(c.get(), [&] { return std::make_shared<GstCaptureDevice>(category, c); });
      out.push_back({utf8_to_cp1252(c->name), handle});
    }
  }
  return out;
}

// --- Graph objects ---------------------------------------------------------------------------

HResult GstGraphBackend::create_graph() {
  if (pipeline_) return S_OK;
  if (!ensure_gstreamer()) return REGDB_E_CLASSNOTREG;
  pipeline_ = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("wellvue-capture")));
  // The recording bin's end of stream reaches us wrapped, the pipeline carrying on.
  g_object_set(pipeline_, "message-forward", TRUE, nullptr);
  GstBus* bus = gst_element_get_bus(pipeline_);
  gst_bus_set_sync_handler(bus, &GstGraphBackend::on_bus, this, nullptr);
  gst_object_unref(bus);
  preview_frames_ = 0;
  return S_OK;
}

bool GstGraphBackend::has_graph() const { return pipeline_ != nullptr; }

void GstGraphBackend::release_graph() {
  if (!pipeline_) return;
  complete_stop();
  finish_recording();
  stop_pipeline();
  GstBus* bus = gst_element_get_bus(pipeline_);
  gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
  gst_object_unref(bus);
  for (auto& link : links_) {
    for (GstElement* e : link.chain) gst_object_unref(e);
    if (link.from_pad) gst_object_unref(link.from_pad);
  }
  links_.clear();
  for (auto& f : in_graph_) {
    f->in_graph = false;
    f->name.clear();
    f->linked = false;
  }
  in_graph_.clear();
  named_.clear();
  {
    std::lock_guard lock(watch_->mutex);
    watch_->sources.clear();
  }
  {
    std::lock_guard lock(surface_mutex_);
    surface_ = nullptr;
  }
  renderer_ = renderer_caps_ = nullptr;
  video_source_.reset();
  audio_source_.reset();
  mux_.reset();
  video_capture_ = {};
  audio_capture_ = {};
  output_path_.clear();
  {
    std::lock_guard lock(events_mutex_);
    events_.clear();
    notify_ = nullptr;
  }
  gst_object_unref(pipeline_);
  pipeline_ = nullptr;
}

HResult GstGraphBackend::create_builder() {
  if (!ensure_gstreamer()) return REGDB_E_CLASSNOTREG;
  builder_ = true;
  return S_OK;
}
bool GstGraphBackend::has_builder() const { return builder_; }
void GstGraphBackend::release_builder() { builder_ = false; }
HResult GstGraphBackend::set_filter_graph() { return pipeline_ && builder_ ? S_OK : E_UNEXPECTED; }

HResult GstGraphBackend::bind_device(const DeviceRef& device, FilterRef& filter) {
  auto d = std::dynamic_pointer_cast<GstCaptureDevice>(device);
  if (!d) return E_INVALIDARG;
  if (d->compressor) {
    auto f = std::make_shared<GstFilter>(d->category == DeviceCategory::VideoCompressor ? FilterRole::VideoEncoder
                                                                                        : FilterRole::AudioEncoder);
    f->compressor = d->compressor;
    filter = f;
    return S_OK;
  }
  GstElement* src = gst_device_create_element(d->device.get(), nullptr);
  if (!src) return VFW_E_NO_CAPTURE_HARDWARE;
  auto f = std::make_shared<GstFilter>(d->category == DeviceCategory::VideoInput ? FilterRole::VideoSource
                                                                                 : FilterRole::AudioSource);
  f->device = d->device;
  f->source = GST_ELEMENT(gst_object_ref_sink(src));
  f->capsfilter = GST_ELEMENT(gst_object_ref_sink(gst_element_factory_make("capsfilter", nullptr)));
  f->tee = GST_ELEMENT(gst_object_ref_sink(gst_element_factory_make("tee", nullptr)));
  g_object_set(f->tee, "allow-not-linked", TRUE, nullptr);
  f->elements = {f->source, f->capsfilter, f->tee};
  f->device_caps.reset(gst_device_get_caps(d->device.get()));
  select_default_format(*f);
  if (f->role == FilterRole::VideoSource) {
    f->last_frame_ms = last_frame_ms_;
    GstPad* pad = gst_element_get_static_pad(f->capsfilter, "src");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, note_frame,
                      new std::shared_ptr<std::atomic<std::int64_t>>(last_frame_ms_),
                      [](gpointer p) { delete static_cast<std::shared_ptr<std::atomic<std::int64_t>>*>(p); });
    // Before the tee: the frame as the camera gives it, whatever the branches make of it.
    LatestFrame::watch(latest_frame_, pad);
    gst_object_unref(pad);
  }
  filter = f;
  return S_OK;
}

HResult GstGraphBackend::create_filter(FilterKind kind, FilterRef& filter) {
  if (!ensure_gstreamer()) return REGDB_E_CLASSNOTREG;
  switch (kind) {
    case FilterKind::SmartTee:
    case FilterKind::InfTee: {
      auto f = std::make_shared<GstFilter>(FilterRole::Tee);
      f->tee = GST_ELEMENT(gst_object_ref_sink(gst_element_factory_make("tee", nullptr)));
      g_object_set(f->tee, "allow-not-linked", TRUE, nullptr);
      f->elements = {f->tee};
      filter = f;
      return S_OK;
    }
    case FilterKind::SampleGrabber: {
      auto f = std::make_shared<GstFilter>(FilterRole::Grabber);
      f->elements = {GST_ELEMENT(gst_object_ref_sink(gst_element_factory_make("identity", nullptr)))};
      f->deliver = frames_live_;
      filter = f;
      return S_OK;
    }
    case FilterKind::DVDecoder:
    case FilterKind::DVSplitter:
      // DV cameras show up as plain video formats here and are decoded inside the branches.
      return REGDB_E_CLASSNOTREG;
  }
  return E_INVALIDARG;
}

HResult GstGraphBackend::add_filter(const FilterRef& filter, const std::string& name) {
  auto f = as_gst(filter);
  if (!f) return E_POINTER;
  if (!pipeline_) return E_UNEXPECTED;
  if (f->in_graph) return S_OK;
  if (!name.empty() && named_.count(name)) return static_cast<HResult>(0x8004022Bu);  // duplicate name
  for (GstElement* e : f->elements)
    if (!gst_bin_add(GST_BIN(pipeline_), e)) return E_FAIL;
  if (f->source && !gst_element_link_many(f->source, f->capsfilter, f->tee, nullptr)) {
    for (GstElement* e : f->elements) gst_bin_remove(GST_BIN(pipeline_), e);
    return VFW_E_CANNOT_CONNECT;
  }
  f->in_graph = true;
  f->name = name;
  if (!name.empty()) named_[name] = f;
  in_graph_.push_back(f);
  if (f->role == FilterRole::VideoSource) video_source_ = f;
  if (f->role == FilterRole::AudioSource) audio_source_ = f;
  if (f->source) {
    std::lock_guard lock(watch_->mutex);
    watch_->sources.push_back(f);
  }
  return S_OK;
}

FilterRef GstGraphBackend::find_filter_by_name(const std::string& name) {
  auto it = named_.find(name);
  return it == named_.end() ? nullptr : it->second;
}

HResult GstGraphBackend::find_stream_config(const FilterRef& filter, bool, const Guid& major_type,
                                            StreamConfigRef& config) {
  auto f = as_gst(filter);
  if (!f) return E_POINTER;
  if ((f->role == FilterRole::VideoSource && major_type == guids::MEDIATYPE_Video) ||
      (f->role == FilterRole::AudioSource && major_type == guids::MEDIATYPE_Audio)) {
    config = std::make_shared<GstStreamConfig>(f);
    return S_OK;
  }
  if (f->role == FilterRole::AudioEncoder && major_type == guids::MEDIATYPE_Audio) {
    config = std::make_shared<NoFormats>();
    return S_OK;
  }
  return E_NOINTERFACE;
}

HResult GstGraphBackend::find_compressor_dialogs(const FilterRef& compressor, CompressorDialogsRef& dialogs) {
  auto f = as_gst(compressor);
  if (!f || f->role != FilterRole::VideoEncoder) return E_NOINTERFACE;
  dialogs = std::make_shared<GstCompressorDialogs>(f);
  return S_OK;
}

HResult GstGraphBackend::dv_get_display(const FilterRef&, int&) { return E_NOINTERFACE; }
HResult GstGraphBackend::dv_set_display(const FilterRef&, int) { return E_NOINTERFACE; }

HResult GstGraphBackend::set_output_file(const std::string& path, FilterRef& mux) {
  if (!pipeline_) return E_UNEXPECTED;
  if (path.empty()) return E_INVALIDARG;
  namespace fs = std::filesystem;
  fs::path folder = fs::path(path).parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return E_PATH_NOT_FOUND;
  if (::access(folder.c_str(), W_OK) != 0) return E_ACCESSDENIED;
  auto f = std::make_shared<GstFilter>(FilterRole::Mux);
  f->path = path;
  f->in_graph = true;
  in_graph_.push_back(f);
  mux_ = f;
  output_path_ = path;
  mux = f;
  return S_OK;
}

HResult GstGraphBackend::set_output_file_name(const std::string& path) {
  if (!mux_) return E_NOINTERFACE;
  mux_->path = path;  // the next recording opens it; a file being written stays as it is
  output_path_ = path;
  return S_OK;
}

HResult GstGraphBackend::set_master_stream(int) { return mux_ ? S_OK : E_NOINTERFACE; }

HResult GstGraphBackend::grabber_set_media_type(const FilterRef& grabber, const Guid* subtype) {
  auto f = as_gst(grabber);
  if (!f || f->role != FilterRole::Grabber) return E_NOINTERFACE;
  f->tap_subtype = subtype ? std::optional<Guid>(*subtype) : std::nullopt;
  f->tap_subtype_set = true;
  return S_OK;
}

HResult GstGraphBackend::grabber_set_callback(const FilterRef& grabber, std::function<void()> on_frame) {
  auto f = as_gst(grabber);
  if (!f || f->role != FilterRole::Grabber) return E_NOINTERFACE;
  std::lock_guard lock(f->tap_mutex);
  f->on_frame = std::move(on_frame);
  return S_OK;
}

HResult GstGraphBackend::attach_video_window(VideoSurface* surface, int width, int height) {
  if (!renderer_) return E_NOINTERFACE;
  {
    std::lock_guard lock(surface_mutex_);
    surface_ = surface;
    window_w_ = width;
    window_h_ = height;
  }
  update_renderer_caps();
  return S_OK;
}

HResult GstGraphBackend::set_video_window_position(int width, int height) {
  if (!renderer_) return E_NOINTERFACE;
  {
    std::lock_guard lock(surface_mutex_);
    window_w_ = width;
    window_h_ = height;
  }
  update_renderer_caps();
  return S_OK;
}

void GstGraphBackend::detach_video_window() {
  std::lock_guard lock(surface_mutex_);
  surface_ = nullptr;
}

GstFlowReturn GstGraphBackend::on_preview_sample(GstAppSink* sink, gpointer self) {
  auto* b = static_cast<GstGraphBackend*>(self);
  GstSample* sample = gst_app_sink_pull_sample(sink);
  if (!sample) return GST_FLOW_EOS;
  b->preview_frames_++;
  if (b->frames_live_->load()) {
    std::lock_guard lock(b->surface_mutex_);
    GstVideoInfo info;
    GstVideoFrame frame;
    if (b->surface_ && gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) &&
        gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
      VideoFrame view;
      view.width = GST_VIDEO_FRAME_WIDTH(&frame);
      view.height = GST_VIDEO_FRAME_HEIGHT(&frame);
      view.stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
      view.data = static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
      b->surface_->present(view);
      gst_video_frame_unmap(&frame);
    }
  }
  gst_sample_unref(sample);
  return GST_FLOW_OK;
}

// --- Running ---------------------------------------------------------------------------------

HResult GstGraphBackend::control_capture_stream(bool hold) {
  if (!pipeline_ || !mux_ || !video_capture_.from) return E_NOINTERFACE;
  recording_held_ = hold;
  if (recording_) {
    recording_->set_held(hold);
    return S_OK;
  }
  if (hold) return S_OK;  // the branch is made, and the file opened, only when a recording starts
  {
    std::lock_guard lock(events_mutex_);
    error_seen_ = false;  // a new recording: its own failure is news again
  }
  RecordingPlan plan;
  plan.path = mux_->path;
  plan.video_tee = video_capture_.from->tee;
  plan.video_media_type = media_type_of_source();
  if (video_capture_.encoder) {
    plan.video_encoder = video_capture_.encoder->compressor;
    plan.video_settings = video_capture_.encoder->settings;
  }
  if (audio_capture_.from) {
    plan.audio_tee = audio_capture_.from->tee;
    if (audio_capture_.encoder) {
      plan.audio_encoder = audio_capture_.encoder->compressor;
      plan.audio_settings = audio_capture_.encoder->settings;
    }
  }
  std::string why;
  int open_error = 0;
  auto branch = RecordingBranch::start(pipeline_, plan, false, why, open_error);
  if (!branch) {
    // The engine hears of it as an aborted recording (once, also when the bus already told).
    file_not_created_ = open_error != 0;
    if (open_error != 0)
      raise_event(EC_ERRORABORT, hresult_from_errno(open_error),
                  plan.path + " : " + utf8_to_cp1252(std::strerror(open_error)));
    else raise_event(EC_ERRORABORT, E_FAIL);
    return E_FAIL;
  }
  file_not_created_ = false;
  std::lock_guard lock(recording_mutex_);
  recording_ = std::move(branch);
  return S_OK;
}

HResult GstGraphBackend::query_media_control() { return pipeline_ ? S_OK : E_NOINTERFACE; }

HResult GstGraphBackend::run() {
  if (!pipeline_) return E_UNEXPECTED;
  {
    std::lock_guard lock(watch_->mutex);
    for (auto& s : watch_->sources)
      if (s->lost) return VFW_E_NO_CAPTURE_HARDWARE;
  }
  if (stop_pending_) {  // stopped a moment ago and run again: the pipeline never stopped
    stop_pending_ = false;
    running_ = true;
    frames_live_->store(true);
    watching_ = video_source_ != nullptr;
    return S_OK;
  }
  if (running_) return S_OK;
  {
    std::lock_guard lock(events_mutex_);
    starting_ = true;
    start_errors_.clear();
    error_seen_ = lost_seen_ = false;
  }
  frames_live_->store(true);
  GstStateChangeReturn ret = gst_element_set_state(pipeline_, GST_STATE_PLAYING);
  if (ret == GST_STATE_CHANGE_ASYNC) ret = gst_element_get_state(pipeline_, nullptr, nullptr, 5 * GST_SECOND);
  std::vector<GraphEvent> during;
  {
    std::lock_guard lock(events_mutex_);
    starting_ = false;
    during.swap(start_errors_);
  }
  if (ret == GST_STATE_CHANGE_FAILURE || ret == GST_STATE_CHANGE_ASYNC) {
    frames_live_->store(false);
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    return during.empty() ? E_FAIL : static_cast<HResult>(during.front().param1);
  }
  for (const auto& e : during) raise_event(e.code, static_cast<HResult>(e.param1), e.text);
  running_ = true;
  last_frame_ms_->store(now_ms());
  watching_ = video_source_ != nullptr;
  return S_OK;
}

HResult GstGraphBackend::pause() {
  if (!pipeline_) return E_UNEXPECTED;
  stop_pending_ = false;
  watching_ = false;
  running_ = false;
  frames_live_->store(false);
  GstStateChangeReturn ret = gst_element_set_state(pipeline_, GST_STATE_PAUSED);
  return ret == GST_STATE_CHANGE_FAILURE ? E_FAIL : S_OK;
}

HResult GstGraphBackend::stop() {
  if (!pipeline_) return E_UNEXPECTED;
  finish_recording();
  if (!running_) {
    stop_pipeline();
    return S_OK;
  }
  // The pipeline keeps playing until the owner thread is free again: an engine that restarts the
  // preview right after the stop (end of a recording, a declined start) loses no picture.
  running_ = false;
  watching_ = false;
  frames_live_->store(false);
  stop_pending_ = true;
  scheduler_.post([this, alive = std::weak_ptr<int>(alive_)] {
    if (alive.lock()) complete_stop();
  });
  return S_OK;
}

void GstGraphBackend::complete_stop() {
  if (!stop_pending_) return;
  stop_pending_ = false;
  stop_pipeline();
}

void GstGraphBackend::stop_pipeline() {
  watching_ = false;
  running_ = false;
  stop_pending_ = false;
  frames_live_->store(false);
  if (pipeline_) gst_element_set_state(pipeline_, GST_STATE_NULL);
  latest_frame_->clear();  // a stopped camera has no picture of now
}

HResult GstGraphBackend::end_capture() {
  if (!pipeline_) return E_UNEXPECTED;
  return finish_recording();
}

HResult GstGraphBackend::finish_recording() {
  if (!recording_) {
    last_stats_ = CaptureStats{};
    last_stats_.known = true;
    last_stats_.file_created = !file_not_created_;
    file_not_created_ = false;
    return S_OK;
  }
  last_stats_ = recording_->finish(options_.finish_timeout);
  last_first_frame_ns_ = recording_->first_frame_ns();
  std::lock_guard lock(recording_mutex_);
  recording_.reset();
  return S_OK;
}

CaptureStats GstGraphBackend::capture_stats() const { return last_stats_; }

std::int64_t GstGraphBackend::first_frame_time_ns() const {
  return recording_ ? recording_->first_frame_ns() : last_first_frame_ns_;
}

// --- Events ----------------------------------------------------------------------------------

HResult GstGraphBackend::set_notify(std::function<void()> notify) {
  if (!pipeline_ && notify) return E_NOINTERFACE;
  std::lock_guard lock(events_mutex_);
  notify_ = std::move(notify);
  return S_OK;
}

HResult GstGraphBackend::get_event(GraphEvent& event) {
  std::lock_guard lock(events_mutex_);
  if (events_.empty()) return S_FALSE;
  event = events_.front();
  events_.pop_front();
  return S_OK;
}

void GstGraphBackend::raise_event(long code, HResult param, std::string text) {
  std::function<void()> notify;
  {
    std::lock_guard lock(events_mutex_);
    GraphEvent e;
    e.code = code;
    e.param1 = param;
    e.text = std::move(text);
    if (starting_) {
      start_errors_.push_back(e);
      return;
    }
    // One camera failure gives one event: the errors that follow it (a flow error, the stall,
    // the monitor's removal notice) tell the same story.
    if (code == EC_DEVICE_LOST) {
      if (lost_seen_) return;
      lost_seen_ = error_seen_ = true;
    } else {
      if (error_seen_) return;
      error_seen_ = true;
    }
    events_.push_back(e);
    notify = notify_;
  }
  if (notify) notify();
}

bool GstGraphBackend::from_source(GstObject* object) {
  std::lock_guard lock(watch_->mutex);
  for (auto& s : watch_->sources)
    if (object == GST_OBJECT(s->source) || gst_object_has_as_ancestor(object, GST_OBJECT(s->source))) return true;
  return false;
}

void GstGraphBackend::note_source_lost(GstDevice* device) {
  bool ours = false;
  for (auto& s : watch_->sources)
    if (s->device.get() == device) {
      s->lost = true;
      ours = true;
    }
  if (ours && running_) raise_event(EC_DEVICE_LOST, VFW_E_NO_CAPTURE_HARDWARE);
}

GstBusSyncReply GstGraphBackend::on_bus(GstBus*, GstMessage* msg, gpointer self) {
  auto* b = static_cast<GstGraphBackend*>(self);
  if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_ERROR) {
    GError* err = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(msg, &err, &debug);
    BusError e;
    e.domain = err ? domain_of(err->domain) : ErrorDomain::Other;
    e.code = err ? err->code : 0;
    e.from_source = b->from_source(GST_MESSAGE_SRC(msg));
    e.running = b->running_.load();
    std::string text = err && err->message ? err->message : "";
    if (debug && *debug) text += (text.empty() ? "" : " (") + std::string(debug) + (text.empty() ? "" : ")");
    if (err) g_error_free(err);
    g_free(debug);
    {
      // The file branch failed (a full disk, a write error): its stream will not end by itself.
      std::lock_guard lock(b->recording_mutex_);
      if (b->recording_ && b->recording_->contains(GST_MESSAGE_SRC(msg))) b->recording_->note_error();
    }
    const ErrorVerdict v = classify_bus_error(e);
    b->raise_event(v.event_code, v.code, utf8_to_cp1252(text));
  } else if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_ELEMENT && gst_message_has_name(msg, "GstBinForwarded")) {
    GstMessage* inner = nullptr;
    gst_structure_get(gst_message_get_structure(msg), "message", GST_TYPE_MESSAGE, &inner, nullptr);
    if (inner && GST_MESSAGE_TYPE(inner) == GST_MESSAGE_EOS) {
      std::shared_ptr<RecordingBranch> rec;
      {
        std::lock_guard lock(b->recording_mutex_);
        rec = b->recording_;
      }
      if (rec) rec->note_eos(GST_MESSAGE_SRC(inner));
    }
    if (inner) gst_message_unref(inner);
  }
  gst_message_unref(msg);
  return GST_BUS_DROP;
}

void GstGraphBackend::watch_stalls() {
  warm_up_snapshot_encoder();  // nothing is watched before the first run anyway
  std::unique_lock lock(watch_mutex_);
  while (!quit_) {
    watch_cv_.wait_for(lock, std::chrono::milliseconds(200));
    if (quit_) break;
    if (watching_ && now_ms() - last_frame_ms_->load() > options_.stall_limit.count()) {
      watching_ = false;
      lock.unlock();
      raise_event(EC_DEVICE_LOST, VFW_E_NO_CAPTURE_HARDWARE);
      lock.lock();
    }
  }
}

}  // namespace wellvue::gst
