// A scripted graph backend for the engine's tests: records every call in order, can be told to
// fail any step, holds devices with formats, queues graph events and writes a real file for each
// recording so that moves and deletions act on the disk.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "capture/graph_backend.h"
#include "capture/scheduler.h"

namespace wellvue::test {

struct FakeDevice : CaptureDevice {
  std::string name;
  std::vector<MediaFormat> caps;  // video or audio formats offered
  std::vector<VideoCapability> intervals;
  MediaFormat current;
  bool dv = false;  // interleaved DV camcorder
};

struct FakeFilter : Filter {
  std::string kind;  // "Device:<name>", "SmartTee", "InfTee", "DVDecoder", "DVSplitter", "SampleGrabber", "Mux"
  std::shared_ptr<FakeDevice> device;
};

class FakeStreamConfig : public StreamConfig {
 public:
  explicit FakeStreamConfig(std::shared_ptr<FakeDevice> d, std::map<std::string, HResult>* fail)
      : device_(std::move(d)), fail_(fail) {}
  HResult get_number_of_capabilities(int& count) override;
  HResult get_stream_caps(int index, MediaFormat& format, VideoCapability& capability) override;
  HResult get_format(MediaFormat& format) override;
  HResult set_format(const MediaFormat& format) override;
  std::vector<MediaFormat> set_formats;  // every format set, in order

 private:
  HResult failure(const std::string& op) const;
  std::shared_ptr<FakeDevice> device_;
  std::map<std::string, HResult>* fail_;
};

class FakeGraphBackend : public GraphBackend {
 public:
  // Devices of each category; a device is shared so identity holds across enumerations.
  std::map<DeviceCategory, std::vector<std::shared_ptr<FakeDevice>>> devices;
  // Step key -> result to return instead of S_OK. Keys are the entries written to `log`
  // (e.g. "create_graph", "bind Webcam", "add MySmartTee", "render Video SmartTee>-",
  // "set_output_file", "run", "stop", "end_capture", "hold", "release", "get_format").
  std::map<std::string, HResult> fail;
  std::vector<std::string> log;
  CaptureStats stats{true, 25, 0, 0, 1.0};
  std::string written;  // bytes written to the file of each recording
  bool running = false;
  bool holding = false;
  int dv_display = 1000;

  std::shared_ptr<FakeDevice> add_device(DeviceCategory c, const std::string& name);
  // Queue a graph event and ring the notification, as the platform's streaming side would.
  void push_event(long code, std::int64_t param1 = 0, const std::string& text = {});
  // One frame passing the tap (from a "streaming thread").
  void emit_frame();
  bool in_graph(const std::string& name_or_kind) const;
  std::vector<std::string> calls_starting(const std::string& prefix) const;
  std::string output_path() const { return output_; }

  std::vector<DeviceEntry> enumerate_devices(DeviceCategory category) override;
  HResult create_graph() override;
  bool has_graph() const override { return graph_; }
  void release_graph() override;
  HResult create_builder() override;
  bool has_builder() const override { return builder_; }
  void release_builder() override;
  HResult set_filter_graph() override;
  HResult bind_device(const DeviceRef& device, FilterRef& filter) override;
  HResult create_filter(FilterKind kind, FilterRef& filter) override;
  HResult add_filter(const FilterRef& filter, const std::string& name) override;
  FilterRef find_filter_by_name(const std::string& name) override;
  void remove_downstream(const FilterRef& filter) override;
  HResult find_stream_config(const FilterRef& filter, bool capture_category, const Guid& major_type,
                             StreamConfigRef& config) override;
  HResult find_compressor_dialogs(const FilterRef& compressor, CompressorDialogsRef& dialogs) override;
  HResult dv_get_display(const FilterRef& decoder, int& display) override;
  HResult dv_set_display(const FilterRef& decoder, int display) override;
  HResult render_stream(const Guid& major_type, const FilterRef& from, const FilterRef& via,
                        const FilterRef& to) override;
  HResult set_output_file(const std::string& path, FilterRef& mux) override;
  HResult set_output_file_name(const std::string& path) override;
  HResult set_master_stream(int index) override;
  HResult grabber_set_media_type(const FilterRef& grabber, const Guid* subtype) override;
  HResult grabber_set_callback(const FilterRef& grabber, std::function<void()> on_frame) override;
  HResult attach_video_window(VideoSurface* surface, int width, int height) override;
  HResult set_video_window_position(int width, int height) override;
  void detach_video_window() override;
  HResult control_capture_stream(bool hold) override;
  HResult query_media_control() override;
  HResult run() override;
  HResult pause() override;
  HResult stop() override;
  HResult end_capture() override;
  CaptureStats capture_stats() const override { return stats; }
  // Logged "save_snapshot <path>" with the lines kept; gives `snapshot`, or when unset the
  // interface's own answer (not supported).
  SnapshotResult save_snapshot(const std::string& utf8_path, const std::vector<std::string>& band_lines) override;
  std::optional<SnapshotResult> snapshot;
  std::vector<std::string> snapshot_lines;
  HResult set_notify(std::function<void()> notify) override;
  HResult get_event(GraphEvent& event) override;

  std::map<std::shared_ptr<FakeDevice>, std::shared_ptr<FakeStreamConfig>> configs;
  std::string compressor_state;

 private:
  HResult step(const std::string& key);
  std::string label(const FilterRef& f) const;
  void finish_file();

  bool graph_ = false;
  bool builder_ = false;
  struct Named {
    FilterRef filter;
    std::string name;
  };
  std::vector<Named> graph_filters_;
  std::vector<std::pair<FilterRef, FilterRef>> links_;
  std::string output_;
  bool recording_ = false;  // released since the last end
  std::function<void()> on_frame_;
  std::function<void()> notify_;
  std::deque<GraphEvent> events_;
};

// The owner thread driven by hand: posted work waits for run_posted(), the timer for tick().
class ManualScheduler : public Scheduler {
 public:
  class Timer : public TickTimer {
   public:
    explicit Timer(std::function<void()> fn) : fn_(std::move(fn)) {}
    void set_enabled(bool e) override { enabled_ = e; }
    bool enabled() const override { return enabled_; }
    std::function<void()> fn_;
    bool enabled_ = false;
  };

  void post(std::function<void()> work) override {
    std::lock_guard<std::mutex> lock(mutex);
    posted.push_back(std::move(work));
  }
  std::unique_ptr<TickTimer> create_timer(int interval_ms, std::function<void()> tick) override;
  std::uint32_t now_ms() override { return now; }

  // Runs posted work (also work posted while running) until none is left; returns how much ran.
  int run_posted();
  // Advances the clock by ms and fires the timer once when it is enabled.
  void tick(std::uint32_t ms = 100);
  bool timer_enabled() const { return timer_ && timer_->enabled(); }

  std::mutex mutex;
  std::deque<std::function<void()>> posted;
  std::uint32_t now = 1000;
  Timer* timer_ = nullptr;
  int interval = 0;
};

}  // namespace wellvue::test
