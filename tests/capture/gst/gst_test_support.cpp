#include "gst_test_support.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "capture/gst/gst_runtime.h"
#include "capture/gst/test_pattern_device.h"

namespace wellvue::gst::testing {

ScratchDir::ScratchDir() {
  std::string templ = ::testing::TempDir() + "wellvue-gst-XXXXXX";
  char* made = mkdtemp(templ.data());
  path_ = made ? made : ::testing::TempDir();
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

namespace {

struct Counter {
  std::atomic<std::uint64_t> frames{0};
  std::atomic<std::uint64_t> first_pts{GST_CLOCK_TIME_NONE};
  std::atomic<std::uint64_t> end_time{0};
};

GstPadProbeReturn count_frame(GstPad*, GstPadProbeInfo* info, gpointer data) {
  auto* c = static_cast<Counter*>(data);
  GstBuffer* buf = GST_PAD_PROBE_INFO_BUFFER(info);
  if (c->frames++ == 0) c->first_pts = GST_BUFFER_PTS(buf);
  if (GST_BUFFER_PTS_IS_VALID(buf))
    c->end_time = GST_BUFFER_PTS(buf) + (GST_BUFFER_DURATION_IS_VALID(buf) ? GST_BUFFER_DURATION(buf) : 0);
  return GST_PAD_PROBE_OK;
}

}  // namespace

Readback read_back(const std::string& path) {
  Readback r;
  if (!ensure_gstreamer()) {
    r.error = "GStreamer does not start";
    return r;
  }
  GError* err = nullptr;
  const std::string desc = "filesrc location=\"" + path + "\" ! avidemux ! decodebin ! fakesink name=sink sync=false";
  GstElement* pipeline = gst_parse_launch(desc.c_str(), &err);
  if (err) {
    r.error = err->message;
    g_error_free(err);
    if (pipeline) gst_object_unref(pipeline);
    return r;
  }
  Counter counter;
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
  GstPad* pad = gst_element_get_static_pad(sink, "sink");
  gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, count_frame, &counter, nullptr);
  gst_object_unref(pad);
  gst_object_unref(sink);
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* msg = gst_bus_timed_pop_filtered(bus, 60 * GST_SECOND,
                                               static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  if (!msg) {
    r.error = "no end of stream within 60 s";
  } else if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_ERROR) {
    gst_message_parse_error(msg, &err, nullptr);
    r.error = err ? err->message : "error";
    if (err) g_error_free(err);
  } else {
    r.ok = true;
  }
  if (msg) gst_message_unref(msg);
  gst_object_unref(bus);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
  r.frames = counter.frames;
  r.first_pts = counter.first_pts;
  r.end_time = counter.end_time;
  return r;
}

RgbPicture decode_jpeg(const std::string& path) {
  RgbPicture p;
  if (!ensure_gstreamer()) {
    p.error = "GStreamer does not start";
    return p;
  }
  GError* err = nullptr;
  const std::string desc = "filesrc location=\"" + path +
                           "\" ! jpegdec ! videoconvert ! video/x-raw,format=RGB ! appsink name=sink sync=false";
  GstElement* pipeline = gst_parse_launch(desc.c_str(), &err);
  if (err) {
    p.error = err->message;
    g_error_free(err);
    if (pipeline) gst_object_unref(pipeline);
    return p;
  }
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  if (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 20 * GST_SECOND)) {
    GstVideoInfo info;
    GstVideoFrame frame;
    if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) &&
        gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
      p.width = GST_VIDEO_FRAME_WIDTH(&frame);
      p.height = GST_VIDEO_FRAME_HEIGHT(&frame);
      p.stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
      const auto* data = static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
      p.rgb.assign(data, data + static_cast<size_t>(p.stride) * p.height);
      gst_video_frame_unmap(&frame);
      p.ok = true;
    }
    gst_sample_unref(sample);
  } else {
    p.error = "jpegdec gave no picture";
  }
  gst_object_unref(sink);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
  return p;
}

void CountingSurface::present(const VideoFrame& f) {
  width_ = f.width;
  height_ = f.height;
  ++frames_;
}

Station::Station(GstGraphBackend::Options options) : backend(loop, options), cap(backend, loop, prompter) {
  register_test_pattern_device();
  replug_test_pattern_device();
  freeze_test_pattern_sources(false);
  auto note = [this](const char* name) { return [this, name](TVideoCapture&) { events.push_back(name); }; };
  cap.OnStartPreview = note("StartPreview");
  cap.OnStopPreview = note("StopPreview");
  cap.OnStartCapture = note("StartCapture");
  cap.OnStopCapture = note("StopCapture");
  cap.OnAborted = note("Aborted");
  cap.OnDeviceLost = note("DeviceLost");
  cap.OnChangeDevice = note("ChangeDevice");
  cap.OnChangeCompressor = note("ChangeCompressor");
  cap.OnCaptureProgress = [this](TVideoCapture&) { ++progress; };
  cap.OnFrameRendered = [this](TVideoCapture&) {
    ++frames_rendered;
    if (std::this_thread::get_id() != owner) frame_off_owner_thread = true;
  };
  cap.SetVideoSurface(&surface);
  cap.InitCapture();
}

Station::~Station() {
  cap.StopCapture();
  cap.StopPreview();
  loop.run_for(std::chrono::milliseconds(20));
  freeze_test_pattern_sources(false);
  replug_test_pattern_device();
}

TGraphConfig Station::config(const std::string& capture_file) const {
  TGraphConfig c;
  c.VideoSourceName = kTestPatternName;
  c.WantCapture = true;
  c.WantPreview = true;
  c.WantBitmaps = true;
  c.WantAudio = false;
  c.BitmapPixelFormat = pf32bit;
  c.CaptureFileName = capture_file;
  c.UseTempFile = false;
  return c;
}

bool Station::run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  return loop.run_until(done, timeout);
}

}  // namespace wellvue::gst::testing
