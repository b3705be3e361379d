// The capture engine's graph backend over GStreamer: devices from the device monitor and the
// tried encoders, the graph as one pipeline (source, format filter, tees, preview to an appsink,
// frame tap), the file branch made per recording and held or released at the tee, stop that
// closes the file while the preview goes on, snapshots of the camera's latest frame at its own
// size, and bus errors turned into graph events.
#pragma once
#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "capture/graph_backend.h"
#include "capture/gst/gst_filter.h"
#include "capture/gst/latest_frame.h"
#include "capture/gst/recording_branch.h"
#include "capture/scheduler.h"

namespace wellvue::gst {

class GstGraphBackend : public GraphBackend {
 public:
  struct Options {
    // No frame from the camera for this long while running: the device is taken as lost.
    std::chrono::milliseconds stall_limit{2000};
    // Longest wait for the muxer to close a file.
    std::chrono::milliseconds finish_timeout{5000};
  };
  // `scheduler` runs work on the owner thread (a stop is completed there unless the graph is
  // run again first, so stopping a recording does not interrupt the preview).
  explicit GstGraphBackend(Scheduler& scheduler);
  GstGraphBackend(Scheduler& scheduler, Options options);
  ~GstGraphBackend() override;
  GstGraphBackend(const GstGraphBackend&) = delete;
  GstGraphBackend& operator=(const GstGraphBackend&) = delete;

  std::vector<DeviceEntry> enumerate_devices(DeviceCategory category) override;

  HResult create_graph() override;
  bool has_graph() const override;
  void release_graph() override;
  HResult create_builder() override;
  bool has_builder() const override;
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
  CaptureStats capture_stats() const override;
  std::int64_t first_frame_time_ns() const override;

  SnapshotResult save_snapshot(const std::string& utf8_path, const std::vector<std::string>& band_lines) override;
  TakenSnapshot take_snapshot() override;

  HResult set_notify(std::function<void()> notify) override;
  HResult get_event(GraphEvent& event) override;

  // --- For the tool, the benchmarks and the tests ---------------------------------------------
  GstElement* pipeline() const { return pipeline_; }
  // Frames that reached the preview's sink since the graph was made.
  std::uint64_t preview_frames() const { return preview_frames_.load(); }
  bool recording() const { return recording_ != nullptr; }

 private:
  struct Link {
    std::shared_ptr<GstFilter> from, to;  // `to` null: the chain ends in a renderer
    std::vector<GstElement*> chain;       // elements made for the link, one reference each
    GstPad* from_pad = nullptr;           // request pad taken from the upstream tee
  };
  struct CaptureRecipe {
    std::shared_ptr<GstFilter> from, encoder;
  };

  void complete_stop();  // the stop that stop() deferred, done now
  void stop_pipeline();
  HResult finish_recording();  // ends the file branch if there is one
  HResult link_elements(const std::shared_ptr<GstFilter>& from, std::vector<GstElement*> chain, GstElement* to,
                        Link& link);
  HResult render_preview(const std::shared_ptr<GstFilter>& from);
  HResult render_audio_preview(const std::shared_ptr<GstFilter>& from);
  HResult render_tap(const std::shared_ptr<GstFilter>& from, const std::shared_ptr<GstFilter>& tap);
  void drop_link(Link& link);
  void update_renderer_caps();
  std::string media_type_of_source() const;
  void raise_event(long code, HResult param, std::string text = {});
  void note_source_lost(GstDevice* device);  // caller holds watch_->mutex
  bool from_source(GstObject* object);
  void watch_stalls();
  static GstBusSyncReply on_bus(GstBus*, GstMessage* msg, gpointer self);
  static GstFlowReturn on_preview_sample(GstAppSink* sink, gpointer self);

  Scheduler& scheduler_;
  Options options_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);

  GstElement* pipeline_ = nullptr;
  bool builder_ = false;
  std::map<std::string, std::shared_ptr<GstFilter>> named_;
  std::vector<std::shared_ptr<GstFilter>> in_graph_;
  std::vector<Link> links_;
  std::shared_ptr<GstFilter> video_source_, audio_source_, mux_;
  CaptureRecipe video_capture_, audio_capture_;
  std::string output_path_;

  // Preview renderer.
  GstElement* renderer_ = nullptr;       // appsink
  GstElement* renderer_caps_ = nullptr;  // its size and format
  std::mutex surface_mutex_;
  VideoSurface* surface_ = nullptr;
  int window_w_ = 0, window_h_ = 0;
  std::atomic<std::uint64_t> preview_frames_{0};

  // Running state (owner thread).
  std::atomic<bool> running_{false};  // as the engine sees it
  bool stop_pending_ = false;         // stopped, pipeline still playing until complete_stop()
  std::shared_ptr<RecordingBranch> recording_;
  bool recording_held_ = true;
  bool file_not_created_ = false;  // the last recording could not create its file
  CaptureStats last_stats_;
  std::int64_t last_first_frame_ns_ = 0;

  // The camera's latest frame at its own size, for snapshots (kept by a probe on the source).
  std::shared_ptr<LatestFrame> latest_frame_ = std::make_shared<LatestFrame>();

  // Events (any thread).
  std::mutex events_mutex_;
  std::deque<GraphEvent> events_;
  std::function<void()> notify_;
  bool error_seen_ = false;  // only the first error of a run becomes an event
  bool lost_seen_ = false;
  bool starting_ = false;  // errors during a start that fails are not events
  std::vector<GraphEvent> start_errors_;
  std::mutex recording_mutex_;  // guards recording_ against the bus thread

  // Sources in the graph, shared with the device monitor's thread (removals) and the bus thread
  // (telling the camera's own errors apart). `owner` is cleared when the backend goes away.
  struct SourceWatch {
    std::mutex mutex;
    GstGraphBackend* owner = nullptr;
    std::vector<std::shared_ptr<GstFilter>> sources;
  };
  std::shared_ptr<SourceWatch> watch_ = std::make_shared<SourceWatch>();

  // Stall watch.
  std::atomic<bool> watching_{false};
  std::shared_ptr<std::atomic<std::int64_t>> last_frame_ms_ = std::make_shared<std::atomic<std::int64_t>>(0);
  std::shared_ptr<std::atomic<bool>> frames_live_ = std::make_shared<std::atomic<bool>>(false);
  std::mutex watch_mutex_;
  std::condition_variable watch_cv_;
  bool quit_ = false;
  std::thread watcher_;
  int removed_listener_ = 0;
};

}  // namespace wellvue::gst
