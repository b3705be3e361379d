#include "capture/gst/snapshot_encoder.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>

#include <mutex>

#include "capture/gst/gst_ptr.h"
#include "capture/snapshot.h"

namespace wellvue::gst {
namespace {

// The lines as textoverlay takes them: one Pango markup text, so the operator's '&' or '<' in a
// bore name are escaped to show as they are.
std::string band_text(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    gchar* valid = g_utf8_make_valid(line.c_str(), static_cast<gssize>(line.size()));
    gchar* escaped = g_markup_escape_text(valid, -1);
    if (!text.empty()) text += '\n';
    text += escaped;
    g_free(escaped);
    g_free(valid);
  }
  return text;
}

const char* decoder_for(const std::string& media_type) {
  if (media_type == "image/jpeg") return "jpegdec";
  if (media_type == "video/x-dv") return "avdec_dvvideo";
  return nullptr;
}

std::string first_error(GstElement* pipeline) {
  std::string words;
  GstBus* bus = gst_element_get_bus(pipeline);
  if (GstMessage* msg = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR)) {
    GError* err = nullptr;
    gst_message_parse_error(msg, &err, nullptr);
    if (err) words = err->message ? err->message : "";
    if (err) g_error_free(err);
    gst_message_unref(msg);
  }
  gst_object_unref(bus);
  return words;
}

}  // namespace

EncodedSnapshot encode_snapshot(GstSample* frame, const std::vector<std::string>& lines,
                                std::chrono::milliseconds timeout) {
  EncodedSnapshot out;
  GstCaps* caps = frame ? gst_sample_get_caps(frame) : nullptr;
  GstBuffer* buffer = frame ? gst_sample_get_buffer(frame) : nullptr;
  if (!caps || !buffer || gst_caps_get_size(caps) == 0) {
    out.error = "no frame";
    return out;
  }
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  int width = 0, height = 0;
  if (!gst_structure_get_int(s, "width", &width) || !gst_structure_get_int(s, "height", &height) || width <= 0 ||
      height <= 0) {
    out.error = "frame of unknown size";
    return out;
  }
  const SnapshotBand band = snapshot_band(width, height, lines.size());

  ObjectRef<GstElement> pipeline = ObjectRef<GstElement>::share(gst_pipeline_new(nullptr));
  std::vector<GstElement*> chain;
  auto add = [&](const char* factory) {
    GstElement* e = gst_element_factory_make(factory, nullptr);
    if (e) {
      gst_bin_add(GST_BIN(pipeline.get()), e);
      chain.push_back(e);
    } else if (out.error.empty()) {
      out.error = std::string("\u00e9l\u00e9ment GStreamer absent : ") + factory;
    }
    return e;
  };
  GstElement* src = add("appsrc");
  if (const char* decoder = decoder_for(gst_structure_get_name(s))) add(decoder);
  add("videoconvert");
  GstElement* format = add("capsfilter");
  GstElement* box = nullptr;
  GstElement* text = nullptr;
  if (band.height > 0) {
    box = add("videobox");
    text = add("textoverlay");
  }
  GstElement* encoder = add("jpegenc");
  GstElement* sink = add("appsink");
  if (!out.error.empty()) return out;

  gst_app_src_set_caps(GST_APP_SRC(src), caps);
  g_object_set(src, "format", GST_FORMAT_TIME, "is-live", FALSE, nullptr);
  // 4:2:0 is what the band, the text and the encoder all take without a further conversion.
  GstCaps* i420 = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", nullptr);
  g_object_set(format, "caps", i420, nullptr);
  gst_caps_unref(i420);
  if (box) {
    g_object_set(box, "bottom", -band.height, nullptr);
    gst_util_set_object_arg(G_OBJECT(box), "fill", "black");
    g_object_set(text, "text", band_text(lines).c_str(), "auto-resize", FALSE, "draw-shadow", FALSE, "draw-outline",
                 FALSE, "xpad", band.margin_px, "ypad", band.margin_px, nullptr);
    const std::string font = "Sans " + std::to_string(band.font_px) + "px";
    g_object_set(text, "font-desc", font.c_str(), nullptr);
    gst_util_set_object_arg(G_OBJECT(text), "valignment", "bottom");
    gst_util_set_object_arg(G_OBJECT(text), "halignment", "left");
    gst_util_set_object_arg(G_OBJECT(text), "line-alignment", "left");
  }
  g_object_set(encoder, "quality", 90, nullptr);
  g_object_set(sink, "sync", FALSE, nullptr);
  for (size_t i = 0; i + 1 < chain.size(); ++i)
    if (!gst_element_link(chain[i], chain[i + 1])) {
      out.error = "cannot link the snapshot pipeline";
      return out;
    }

  if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    out.error = first_error(pipeline.get());
    if (out.error.empty()) out.error = "the snapshot pipeline does not start";
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return out;
  }
  // A shallow copy (the memory is shared) restamped at zero: the live pipeline's time means
  // nothing here.
  GstBuffer* one = gst_buffer_copy(buffer);
  GST_BUFFER_PTS(one) = 0;
  GST_BUFFER_DTS(one) = GST_CLOCK_TIME_NONE;
  GST_BUFFER_DURATION(one) = GST_CLOCK_TIME_NONE;
  gst_app_src_push_buffer(GST_APP_SRC(src), one);
  gst_app_src_end_of_stream(GST_APP_SRC(src));
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count();
  GstSample* jpeg = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), static_cast<GstClockTime>(ns));
  if (jpeg) {
    GstBuffer* data = gst_sample_get_buffer(jpeg);
    GstMapInfo map;
    const GstStructure* js = gst_sample_get_caps(jpeg) ? gst_caps_get_structure(gst_sample_get_caps(jpeg), 0) : nullptr;
    if (data && js && gst_structure_get_int(js, "width", &out.width) &&
        gst_structure_get_int(js, "height", &out.height) && gst_buffer_map(data, &map, GST_MAP_READ)) {
      out.jpeg.assign(reinterpret_cast<const char*>(map.data), map.size);
      gst_buffer_unmap(data, &map);
      out.band_height = band.height;
      out.ok = !out.jpeg.empty();
    }
    gst_sample_unref(jpeg);
  }
  if (!out.ok) {
    out.error = first_error(pipeline.get());
    if (out.error.empty()) out.error = "no picture came out of the encoder";
  }
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  return out;
}

void warm_up_snapshot_encoder() {
  static std::once_flag once;
  std::call_once(once, [] {
    constexpr int kSide = 32;
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "GRAY8", "width", G_TYPE_INT, kSide,
                                        "height", G_TYPE_INT, kSide, "framerate", GST_TYPE_FRACTION, 25, 1, nullptr);
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, kSide * kSide, nullptr);
    gst_buffer_memset(buffer, 0, 0x80, kSide * kSide);
    GstSample* frame = gst_sample_new(buffer, caps, nullptr, nullptr);
    encode_snapshot(frame, {"0.00 m"});
    gst_sample_unref(frame);
    gst_buffer_unref(buffer);
    gst_caps_unref(caps);
  });
}

}  // namespace wellvue::gst
