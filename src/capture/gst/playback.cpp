#include "capture/gst/playback.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>

#include "capture/gst/gst_ptr.h"
#include "capture/gst/gst_runtime.h"
#include "util/cp1252.h"

namespace wellvue::gst {

namespace {

// Long enough for a seek in a large file on a slow disk; a pipeline that takes longer is stuck.
constexpr GstClockTime kStateTimeout = 5 * GST_SECOND;
constexpr auto kFrameTimeout = std::chrono::seconds(5);
// playbin's GST_PLAY_FLAG_VIDEO: the video alone (no sound card needed, no subtitles drawn in).
constexpr guint kPlayVideoOnly = 1u << 0;

class GstPlayer final : public Player {
 public:
  ~GstPlayer() override { close(); }

  bool open(const std::string& utf8_path, VideoSurface* surface, std::string& error) override {
    close();
    if (!ensure_gstreamer()) {
      error = "GStreamer ne d\xE9marre pas";
      return false;
    }
    surface_ = surface;
    GError* uri_error = nullptr;
    gchar* uri = gst_filename_to_uri(utf8_path.c_str(), &uri_error);
    if (!uri) {
      error = uri_error ? utf8_to_cp1252(uri_error->message) : "nom de fichier invalide";
      if (uri_error) g_error_free(uri_error);
      return false;
    }
    pipeline_ = gst_element_factory_make("playbin", nullptr);
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* convert = gst_element_factory_make("videoconvert", nullptr);
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    if (!pipeline_ || !bin || !convert || !sink) {
      g_free(uri);
      error = "\xE9l\xE9ments GStreamer de lecture absents (playbin, videoconvert, appsink)";
      if (pipeline_) gst_object_unref(pipeline_);
      pipeline_ = nullptr;
      return false;
    }
    gst_bin_add_many(GST_BIN(bin), convert, sink, nullptr);
    gst_element_link(convert, sink);
    GstPad* pad = gst_element_get_static_pad(convert, "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", pad));
    gst_object_unref(pad);
    CapsPtr caps(gst_caps_from_string("video/x-raw,format=BGRx"));
    g_object_set(sink, "caps", caps.get(), "sync", TRUE, "max-buffers", 2u, nullptr);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = [](GstAppSink* s, gpointer self) {
      return static_cast<GstPlayer*>(self)->take(gst_app_sink_pull_preroll(s));
    };
    callbacks.new_sample = [](GstAppSink* s, gpointer self) {
      return static_cast<GstPlayer*>(self)->take(gst_app_sink_pull_sample(s));
    };
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
    g_object_set(pipeline_, "uri", uri, "video-sink", bin, "flags", kPlayVideoOnly, nullptr);
    g_free(uri);
    if (!set_state(GST_STATE_PAUSED, error)) {
      close();
      return false;
    }
    return true;
  }

  bool play() override {
    std::string error;
    if (!pipeline_) return false;
    if (at_end_) {
      at_end_ = false;
      seek_ms(0);
    }
    playing_ = set_state(GST_STATE_PLAYING, error);
    return playing_;
  }

  bool pause() override {
    std::string error;
    if (!pipeline_) return false;
    playing_ = false;
    return set_state(GST_STATE_PAUSED, error);
  }

  bool playing() const override { return playing_; }

  bool seek_ms(std::int64_t ms) override {
    if (!pipeline_) return false;
    if (ms < 0) ms = 0;
    const std::int64_t duration = duration_ms();
    // Past the end an accurate seek shows nothing: the last frame is the nearest.
    if (duration > 0 && frame_rate_ > 0 && ms > duration - 1000.0 / frame_rate_)
      ms = static_cast<std::int64_t>(duration - 1000.0 / frame_rate_);
    at_end_ = false;
    const std::uint64_t before = shown();
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek_simple(pipeline_, GST_FORMAT_TIME, flags, ms * GST_MSECOND)) return false;
    GstState state;
    if (gst_element_get_state(pipeline_, &state, nullptr, kStateTimeout) == GST_STATE_CHANGE_FAILURE) return false;
    return wait_shown_after(before);
  }

  bool step(int frames) override {
    if (!pipeline_ || frames == 0) return false;
    if (playing_) pause();
    const double frame = frame_rate_ > 0 ? 1000.0 / frame_rate_ : 40.0;
    if (frames < 0) {
      const std::int64_t now = frame_ms();
      return seek_ms(static_cast<std::int64_t>(std::llround(now + frames * frame)));
    }
    const std::uint64_t before = shown();
    const std::int64_t from = frame_ms();
    // On the last frame a step has nothing to show: say so at once rather than wait for a frame.
    const std::int64_t duration = duration_ms();
    if (duration > 0 && from + frame * frames > duration - frame / 2) return false;
    if (!gst_element_send_event(pipeline_,
                                gst_event_new_step(GST_FORMAT_BUFFERS, static_cast<guint64>(frames), 1.0, TRUE, FALSE)))
      return false;
    if (wait_shown_after(before) && frame_ms() > from) return true;
    // No next frame came (at the end of the video the step has nothing to show).
    return false;
  }

  std::int64_t frame_ms() const override { return frame_ms_.load(); }

  std::int64_t duration_ms() override {
    gint64 d = 0;
    if (!pipeline_ || !gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &d) || d < 0) return 0;
    return d / GST_MSECOND;
  }

  double frame_rate() const override { return frame_rate_.load(); }

  std::string poll() override {
    std::string error;
    if (!pipeline_) return error;
    ObjectRef<GstBus> bus = ObjectRef<GstBus>::adopt(gst_element_get_bus(pipeline_));
    while (GstMessage* raw = gst_bus_pop(bus.get())) {
      MessagePtr message(raw);
      if (GST_MESSAGE_TYPE(raw) == GST_MESSAGE_EOS) {
        at_end_ = true;
        pause();
      } else if (GST_MESSAGE_TYPE(raw) == GST_MESSAGE_ERROR) {
        GError* e = nullptr;
        gst_message_parse_error(raw, &e, nullptr);
        if (e) {
          error = utf8_to_cp1252(e->message);
          g_error_free(e);
        }
      }
    }
    return error;
  }

 private:
  GstFlowReturn take(GstSample* sample) {
    if (!sample) return GST_FLOW_OK;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstVideoInfo info;
    if (buffer && gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) {
      if (info.fps_n > 0 && info.fps_d > 0) frame_rate_ = static_cast<double>(info.fps_n) / info.fps_d;
      GstClockTime pts = GST_BUFFER_PTS(buffer);
      if (const GstSegment* segment = gst_sample_get_segment(sample); segment && GST_CLOCK_TIME_IS_VALID(pts))
        pts = gst_segment_to_stream_time(segment, GST_FORMAT_TIME, pts);
      GstMapInfo map;
      if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        VideoFrame frame;
        frame.width = GST_VIDEO_INFO_WIDTH(&info);
        frame.height = GST_VIDEO_INFO_HEIGHT(&info);
        frame.stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
        frame.data = map.data;
        if (surface_) surface_->present(frame);
        gst_buffer_unmap(buffer, &map);
      }
      {
        std::lock_guard lock(mutex_);
        if (GST_CLOCK_TIME_IS_VALID(pts)) frame_ms_ = static_cast<std::int64_t>((pts + GST_MSECOND / 2) / GST_MSECOND);
        ++shown_;
      }
      shown_changed_.notify_all();
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
  }

  std::uint64_t shown() {
    std::lock_guard lock(mutex_);
    return shown_;
  }

  bool wait_shown_after(std::uint64_t before) {
    std::unique_lock lock(mutex_);
    return shown_changed_.wait_for(lock, kFrameTimeout, [&] { return shown_ > before; });
  }

  bool set_state(GstState state, std::string& error) {
    if (gst_element_set_state(pipeline_, state) != GST_STATE_CHANGE_FAILURE &&
        gst_element_get_state(pipeline_, nullptr, nullptr, kStateTimeout) != GST_STATE_CHANGE_FAILURE)
      return true;
    error = poll();
    if (error.empty()) error = "le lecteur ne d\xE9marre pas";
    return false;
  }

  void close() {
    if (!pipeline_) return;
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    gst_object_unref(pipeline_);
    pipeline_ = nullptr;
    playing_ = false;
    at_end_ = false;
    frame_ms_ = -1;
  }

  GstElement* pipeline_ = nullptr;
  VideoSurface* surface_ = nullptr;
  bool playing_ = false;
  bool at_end_ = false;
  std::atomic<std::int64_t> frame_ms_{-1};
  std::atomic<double> frame_rate_{0.0};
  std::mutex mutex_;
  std::condition_variable shown_changed_;
  std::uint64_t shown_ = 0;
};

}  // namespace

std::unique_ptr<Player> make_player() { return std::make_unique<GstPlayer>(); }

}  // namespace wellvue::gst
