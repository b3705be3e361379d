#include "fake_graph_backend.h"

#include <algorithm>
#include <fstream>

namespace wellvue::test {
namespace {

const char* major_name(const Guid& g) {
  if (g == guids::MEDIATYPE_Video) return "Video";
  if (g == guids::MEDIATYPE_Audio) return "Audio";
  if (g == guids::MEDIATYPE_Interleaved) return "Interleaved";
  return "?";
}

const char* kind_name(FilterKind k) {
  switch (k) {
    case FilterKind::SmartTee:
      return "SmartTee";
    case FilterKind::InfTee:
      return "InfTee";
    case FilterKind::DVDecoder:
      return "DVDecoder";
    case FilterKind::DVSplitter:
      return "DVSplitter";
    case FilterKind::SampleGrabber:
      break;
  }
  return "SampleGrabber";
}

class FakeDialogs : public CompressorDialogs {
 public:
  explicit FakeDialogs(std::string* state) : state_(state) {}
  HResult get_state(std::string& s) override {
    s = *state_;
    return S_OK;
  }
  HResult set_state(const std::string& s) override {
    *state_ = s;
    return S_OK;
  }

 private:
  std::string* state_;
};

}  // namespace

HResult FakeStreamConfig::failure(const std::string& op) const {
  auto it = fail_->find(op + " " + device_->name);
  return it == fail_->end() ? S_OK : it->second;
}

HResult FakeStreamConfig::get_number_of_capabilities(int& count) {
  if (HResult hr = failure("get_number_of_capabilities"); hr != S_OK) return hr;
  count = static_cast<int>(device_->caps.size());
  return S_OK;
}

HResult FakeStreamConfig::get_stream_caps(int index, MediaFormat& format, VideoCapability& capability) {
  if (HResult hr = failure("get_stream_caps"); hr != S_OK) return hr;
  if (index < 0 || index >= static_cast<int>(device_->caps.size())) return E_INVALIDARG;
  format = device_->caps[static_cast<std::size_t>(index)];
  capability = index < static_cast<int>(device_->intervals.size()) ? device_->intervals[static_cast<std::size_t>(index)]
                                                                   : VideoCapability{};
  return S_OK;
}

HResult FakeStreamConfig::get_format(MediaFormat& format) {
  if (HResult hr = failure("get_format"); hr != S_OK) return hr;
  format = device_->current;
  return S_OK;
}

HResult FakeStreamConfig::set_format(const MediaFormat& format) {
  if (HResult hr = failure("set_format"); hr != S_OK) return hr;
  set_formats.push_back(format);
  device_->current = format;
  return S_OK;
}

std::shared_ptr<FakeDevice> FakeGraphBackend::add_device(DeviceCategory c, const std::string& name) {
  auto d = std::make_shared<FakeDevice>();
  d->name = name;
  devices[c].push_back(d);
  return d;
}

void FakeGraphBackend::push_event(long code, std::int64_t param1, const std::string& text) {
  events_.push_back(GraphEvent{code, param1, 0, text});
  if (notify_) notify_();
}

void FakeGraphBackend::emit_frame() {
  if (on_frame_ && running) on_frame_();
}

HResult FakeGraphBackend::step(const std::string& key) {
  log.push_back(key);
  auto it = fail.find(key);
  return it == fail.end() ? S_OK : it->second;
}

std::string FakeGraphBackend::label(const FilterRef& f) const {
  if (!f) return "-";
  for (const auto& n : graph_filters_)
    if (n.filter == f && !n.name.empty()) return n.name;
  auto* ff = static_cast<FakeFilter*>(f.get());
  return ff->device ? ff->device->name : ff->kind;
}

bool FakeGraphBackend::in_graph(const std::string& name_or_kind) const {
  return std::any_of(graph_filters_.begin(), graph_filters_.end(),
                     [&](const Named& n) { return n.name == name_or_kind || label(n.filter) == name_or_kind; });
}

std::vector<std::string> FakeGraphBackend::calls_starting(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& c : log)
    if (c.rfind(prefix, 0) == 0) out.push_back(c);
  return out;
}

std::vector<DeviceEntry> FakeGraphBackend::enumerate_devices(DeviceCategory category) {
  log.push_back("enumerate");
  std::vector<DeviceEntry> out;
  for (const auto& d : devices[category]) out.push_back({d->name, d});
  return out;
}

HResult FakeGraphBackend::create_graph() {
  const HResult hr = step("create_graph");
  if (hr == S_OK) graph_ = true;
  return hr;
}

void FakeGraphBackend::release_graph() {
  graph_ = false;
  graph_filters_.clear();
  links_.clear();
  output_.clear();
  on_frame_ = nullptr;
  notify_ = nullptr;
  events_.clear();
  running = holding = recording_ = false;
}

HResult FakeGraphBackend::create_builder() {
  const HResult hr = step("create_builder");
  if (hr == S_OK) builder_ = true;
  return hr;
}

void FakeGraphBackend::release_builder() { builder_ = false; }

HResult FakeGraphBackend::set_filter_graph() { return step("set_filter_graph"); }

HResult FakeGraphBackend::bind_device(const DeviceRef& device, FilterRef& filter) {
  auto d = std::dynamic_pointer_cast<FakeDevice>(device);
  const HResult hr = step("bind " + (d ? d->name : std::string("?")));
  if (hr != S_OK) return hr;
  auto f = std::make_shared<FakeFilter>();
  f->kind = "Device:" + d->name;
  f->device = d;
  filter = f;
  return S_OK;
}

HResult FakeGraphBackend::create_filter(FilterKind kind, FilterRef& filter) {
  const HResult hr = step(std::string("create ") + kind_name(kind));
  if (hr != S_OK) return hr;
  auto f = std::make_shared<FakeFilter>();
  f->kind = kind_name(kind);
  filter = f;
  return S_OK;
}

HResult FakeGraphBackend::add_filter(const FilterRef& filter, const std::string& name) {
  const HResult hr = step("add " + (name.empty() ? label(filter) : name));
  if (hr != S_OK) return hr;
  graph_filters_.push_back({filter, name});
  return S_OK;
}

FilterRef FakeGraphBackend::find_filter_by_name(const std::string& name) {
  for (const auto& n : graph_filters_)
    if (n.name == name) return n.filter;
  return nullptr;
}

void FakeGraphBackend::remove_downstream(const FilterRef& filter) {
  log.push_back("remove_downstream " + label(filter));
  std::vector<FilterRef> todo{filter};
  while (!todo.empty()) {
    FilterRef f = todo.back();
    todo.pop_back();
    for (auto it = links_.begin(); it != links_.end();) {
      if (it->first == f) {
        FilterRef down = it->second;
        it = links_.erase(it);
        if (down) {
          todo.push_back(down);
          graph_filters_.erase(std::remove_if(graph_filters_.begin(), graph_filters_.end(),
                                              [&](const Named& n) { return n.filter == down; }),
                               graph_filters_.end());
        }
      } else {
        ++it;
      }
    }
  }
}

HResult FakeGraphBackend::find_stream_config(const FilterRef& filter, bool, const Guid& major_type,
                                             StreamConfigRef& config) {
  auto* f = static_cast<FakeFilter*>(filter.get());
  HResult hr = step(std::string("stream_config ") + label(filter) + " " + major_name(major_type));
  if (hr != S_OK) return hr;
  if (!f->device) return E_NOINTERFACE;
  const bool interleaved = major_type == guids::MEDIATYPE_Interleaved;
  if (major_type != guids::MEDIATYPE_Audio && interleaved != f->device->dv) return E_NOINTERFACE;
  auto& c = configs[f->device];
  if (!c) c = std::make_shared<FakeStreamConfig>(f->device, &fail);
  config = c;
  return S_OK;
}

HResult FakeGraphBackend::find_compressor_dialogs(const FilterRef& compressor, CompressorDialogsRef& dialogs) {
  const HResult hr = step("dialogs " + label(compressor));
  if (hr != S_OK) return hr;
  dialogs = std::make_shared<FakeDialogs>(&compressor_state);
  return S_OK;
}

HResult FakeGraphBackend::dv_get_display(const FilterRef&, int& display) {
  display = dv_display;
  return S_OK;
}

HResult FakeGraphBackend::dv_set_display(const FilterRef&, int display) {
  const HResult hr = step("dv_set_display " + std::to_string(display));
  if (hr == S_OK) dv_display = display;
  return hr;
}

HResult FakeGraphBackend::render_stream(const Guid& major_type, const FilterRef& from, const FilterRef& via,
                                        const FilterRef& to) {
  const HResult hr = step(std::string("render ") + major_name(major_type) + " " + label(from) + " > " + label(via) +
                          " > " + (to ? label(to) : std::string("default")));
  if (hr != S_OK) return hr;
  if (via) {
    links_.push_back({from, via});
    links_.push_back({via, to});
  } else {
    links_.push_back({from, to});
  }
  return S_OK;
}

HResult FakeGraphBackend::set_output_file(const std::string& path, FilterRef& mux) {
  const HResult hr = step("set_output_file");
  if (hr != S_OK) return hr;
  auto f = std::make_shared<FakeFilter>();
  f->kind = "Mux";
  graph_filters_.push_back({f, "Mux"});
  output_ = path;
  mux = f;
  return S_OK;
}

HResult FakeGraphBackend::set_output_file_name(const std::string& path) {
  if (!in_graph("Mux")) return E_NOINTERFACE;
  const HResult hr = step("set_output_file_name");
  if (hr == S_OK) output_ = path;
  return hr;
}

HResult FakeGraphBackend::set_master_stream(int index) { return step("set_master_stream " + std::to_string(index)); }

HResult FakeGraphBackend::grabber_set_media_type(const FilterRef&, const Guid* subtype) {
  return step(std::string("grabber_set_media_type ") + (subtype ? guid_text(*subtype) : "none"));
}

HResult FakeGraphBackend::grabber_set_callback(const FilterRef&, std::function<void()> on_frame) {
  const HResult hr = step("grabber_set_callback");
  if (hr == S_OK) on_frame_ = std::move(on_frame);
  return hr;
}

HResult FakeGraphBackend::attach_video_window(VideoSurface*, int width, int height) {
  return step("attach_video_window " + std::to_string(width) + "x" + std::to_string(height));
}

HResult FakeGraphBackend::set_video_window_position(int width, int height) {
  return step("set_video_window_position " + std::to_string(width) + "x" + std::to_string(height));
}

void FakeGraphBackend::detach_video_window() { log.push_back("detach_video_window"); }

HResult FakeGraphBackend::control_capture_stream(bool hold) {
  const HResult hr = step(hold ? "hold" : "release");
  if (hr != S_OK) return hr;
  if (!in_graph("Mux")) return E_NOINTERFACE;
  holding = hold;
  if (!hold && running && !recording_) {
    recording_ = true;
    std::ofstream(output_, std::ios::binary | std::ios::trunc) << written;
  }
  return S_OK;
}

HResult FakeGraphBackend::query_media_control() { return step("query_media_control"); }

HResult FakeGraphBackend::run() {
  const HResult hr = step("run");
  if (hr == S_OK) running = true;
  return hr;
}

HResult FakeGraphBackend::pause() { return step("pause"); }

HResult FakeGraphBackend::stop() {
  const HResult hr = step("stop");
  if (hr == S_OK) running = recording_ = false;
  return hr;
}

HResult FakeGraphBackend::end_capture() {
  const HResult hr = step("end_capture");
  if (hr == S_OK) recording_ = false;
  return hr;
}

SnapshotResult FakeGraphBackend::save_snapshot(const std::string& utf8_path,
                                               const std::vector<std::string>& band_lines) {
  log.push_back("save_snapshot " + utf8_path);
  snapshot_lines = band_lines;
  return snapshot ? *snapshot : GraphBackend::save_snapshot(utf8_path, band_lines);
}

HResult FakeGraphBackend::set_notify(std::function<void()> notify) {
  const HResult hr = step(notify ? "set_notify" : "clear_notify");
  if (hr == S_OK) notify_ = std::move(notify);
  return hr;
}

HResult FakeGraphBackend::get_event(GraphEvent& event) {
  if (events_.empty()) return S_FALSE;
  event = events_.front();
  events_.pop_front();
  return S_OK;
}

std::unique_ptr<TickTimer> ManualScheduler::create_timer(int interval_ms, std::function<void()> tick) {
  auto t = std::make_unique<Timer>(std::move(tick));
  timer_ = t.get();
  interval = interval_ms;
  return t;
}

int ManualScheduler::run_posted() {
  int n = 0;
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (posted.empty()) break;
      work = std::move(posted.front());
      posted.pop_front();
    }
    work();
    ++n;
  }
  return n;
}

void ManualScheduler::tick(std::uint32_t ms) {
  now += ms;
  if (timer_ && timer_->enabled_) timer_->fn_();
}

}  // namespace wellvue::test
