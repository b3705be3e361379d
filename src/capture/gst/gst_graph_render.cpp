// Branch assembly of the GStreamer backend: links between sources and tees, the frame tap, the
// preview renderer (an appsink giving BGRx pictures to the host's surface), the sound preview,
// the file branch's recipe, and taking branches apart again.
#include <gst/app/gstappsink.h>

#include <algorithm>

#include "capture/gst/caps_formats.h"
#include "capture/gst/gst_graph_backend.h"

namespace wellvue::gst {
namespace {

GstElement* owned(const char* factory) {
  GstElement* e = gst_element_factory_make(factory, nullptr);
  return e ? GST_ELEMENT(gst_object_ref_sink(e)) : nullptr;
}

// The preview may lose frames, never hold up the tee.
GstElement* preview_queue() {
  GstElement* q = owned("queue");
  g_object_set(q, "max-size-buffers", 2u, "max-size-bytes", 0u, "max-size-time", guint64(0), nullptr);
  gst_util_set_object_arg(G_OBJECT(q), "leaky", "downstream");
  return q;
}

// Decoder a compressed camera format needs before anything that works on pictures.
GstElement* decoder_for(const std::string& media_type) {
  if (media_type == "image/jpeg") return owned("jpegdec");
  if (media_type == "video/x-dv") return owned("avdec_dvvideo");
  return nullptr;
}

struct TapData {
  std::weak_ptr<GstFilter> tap;
};

GstPadProbeReturn tap_frame(GstPad*, GstPadProbeInfo*, gpointer data) {
  if (auto tap = static_cast<TapData*>(data)->tap.lock()) {
    if (tap->deliver && !tap->deliver->load()) return GST_PAD_PROBE_OK;
    std::function<void()> call;
    {
      std::lock_guard lock(tap->tap_mutex);
      call = tap->on_frame;
    }
    if (call) call();  // posts to the owner thread, nothing more
  }
  return GST_PAD_PROBE_OK;
}

}  // namespace

std::string GstGraphBackend::media_type_of_source() const {
  std::string out = "video/x-raw";
  if (!video_source_ || !video_source_->capsfilter) return out;
  GstCaps* caps = nullptr;
  g_object_get(video_source_->capsfilter, "caps", &caps, nullptr);
  if (caps && gst_caps_get_size(caps) > 0) out = gst_structure_get_name(gst_caps_get_structure(caps, 0));
  if (caps) gst_caps_unref(caps);
  return out;
}

HResult GstGraphBackend::link_elements(const std::shared_ptr<GstFilter>& from, std::vector<GstElement*> chain,
                                       GstElement* to, Link& link) {
  link.from = from;
  for (GstElement* e : chain)
    if (!e) {
      for (GstElement* x : chain)
        if (x) gst_object_unref(x);
      return VFW_E_CANNOT_CONNECT;
    }
  for (GstElement* e : chain) gst_bin_add(GST_BIN(pipeline_), e);
  link.chain = chain;
  GstPad* out = from->new_output();
  if (from->tee) link.from_pad = out;
  bool ok = out != nullptr;
  GstElement* first = chain.empty() ? to : chain.front();
  if (ok && first) {
    GstPad* in = gst_element_get_static_pad(first, "sink");
    ok = in && GST_PAD_LINK_SUCCESSFUL(gst_pad_link(out, in));
    if (in) gst_object_unref(in);
  }
  for (size_t i = 0; ok && i + 1 < chain.size(); ++i) ok = gst_element_link(chain[i], chain[i + 1]);
  if (ok && to && !chain.empty()) ok = gst_element_link(chain.back(), to);
  if (out && !from->tee) gst_object_unref(out);
  if (!ok) {
    drop_link(link);
    return VFW_E_CANNOT_CONNECT;
  }
  return S_OK;
}

void GstGraphBackend::drop_link(Link& link) {
  for (GstElement* e : link.chain) {
    gst_element_set_state(e, GST_STATE_NULL);
    if (GST_OBJECT_PARENT(e)) gst_bin_remove(GST_BIN(pipeline_), e);
    gst_object_unref(e);
    if (e == renderer_ || e == renderer_caps_) renderer_ = renderer_caps_ = nullptr;
  }
  link.chain.clear();
  if (link.from_pad) {
    if (GstPad* peer = gst_pad_get_peer(link.from_pad)) {
      gst_pad_unlink(link.from_pad, peer);
      gst_object_unref(peer);
    }
    if (link.from && link.from->tee) gst_element_release_request_pad(link.from->tee, link.from_pad);
    gst_object_unref(link.from_pad);
    link.from_pad = nullptr;
  }
}

HResult GstGraphBackend::render_stream(const Guid& major_type, const FilterRef& from, const FilterRef& via,
                                       const FilterRef& to) {
  if (!pipeline_) return E_UNEXPECTED;
  auto f = as_gst(from), v = as_gst(via), t = as_gst(to);
  if (!f || !f->in_graph || (via && !v) || (to && !t)) return E_INVALIDARG;
  complete_stop();
  const bool video = major_type == guids::MEDIATYPE_Video;
  const bool audio = major_type == guids::MEDIATYPE_Audio;
  if (!video && !audio) return VFW_E_CANNOT_CONNECT;
  if (video !=
      (f->role == FilterRole::VideoSource || f->role == FilterRole::Grabber ||
       (f->role == FilterRole::Tee && !(audio_source_ && std::any_of(links_.begin(), links_.end(), [&](const Link& l) {
                                          return l.from == audio_source_ && l.to == f;
                                        }))))) {
    return VFW_E_CANNOT_CONNECT;  // the upstream element has no output of that kind
  }
  if (t && t->role == FilterRole::Mux) {
    // The file branch is made for each recording (control_capture_stream); keep its recipe.
    if (!f->tee) return VFW_E_CANNOT_CONNECT;
    if (v && v->role != (video ? FilterRole::VideoEncoder : FilterRole::AudioEncoder)) return VFW_E_CANNOT_CONNECT;
    (video ? video_capture_ : audio_capture_) = CaptureRecipe{f, v};
    return S_OK;
  }
  if (v) return VFW_E_CANNOT_CONNECT;  // only the file branch has a compressor
  if (t && t->role == FilterRole::Tee) {
    if (!t->in_graph) return E_INVALIDARG;
    Link link;
    link.to = t;
    HResult hr = link_elements(f, {}, t->tee, link);
    if (hr == S_OK) links_.push_back(std::move(link));
    return hr;
  }
  if (t && t->role == FilterRole::Grabber) return render_tap(f, t);
  if (!t) return video ? render_preview(f) : render_audio_preview(f);
  return VFW_E_CANNOT_CONNECT;
}

HResult GstGraphBackend::render_tap(const std::shared_ptr<GstFilter>& from, const std::shared_ptr<GstFilter>& tap) {
  if (!tap->in_graph || tap->linked) return VFW_E_CANNOT_CONNECT;
  std::vector<GstElement*> chain{preview_queue()};
  if (GstElement* dec = decoder_for(media_type_of_source())) chain.push_back(dec);
  if (tap->tap_subtype_set && tap->tap_subtype) {
    // The tap imposes an RGB layout; one GStreamer cannot produce cannot be connected.
    const GstFormatName name = format_for_subtype(*tap->tap_subtype);
    if (name.media_type != "video/x-raw" || name.raw_format.empty()) {
      for (GstElement* e : chain) gst_object_unref(e);
      return VFW_E_CANNOT_CONNECT;
    }
    GstElement* convert = owned("videoconvert");
    GstElement* caps = owned("capsfilter");
    GstCaps* c = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, name.raw_format.c_str(), nullptr);
    g_object_set(caps, "caps", c, nullptr);
    gst_caps_unref(c);
    chain.push_back(convert);
    chain.push_back(caps);
  }
  Link link;
  link.to = tap;
  HResult hr = link_elements(from, chain, tap->elements.front(), link);
  if (hr != S_OK) return hr;
  GstPad* pad = gst_element_get_static_pad(tap->elements.front(), "src");
  gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, tap_frame, new TapData{tap},
                    [](gpointer p) { delete static_cast<TapData*>(p); });
  gst_object_unref(pad);
  tap->linked = true;
  links_.push_back(std::move(link));
  return S_OK;
}

HResult GstGraphBackend::render_preview(const std::shared_ptr<GstFilter>& from) {
  if (renderer_) return VFW_E_CANNOT_CONNECT;  // one preview per graph
  std::vector<GstElement*> chain;
  if (from->role != FilterRole::Grabber) {
    chain.push_back(preview_queue());
    if (GstElement* dec = decoder_for(media_type_of_source())) chain.push_back(dec);
  }
  GstElement* convert = owned("videoconvert");
  GstElement* scale = owned("videoscale");
  GstElement* caps = owned("capsfilter");
  GstElement* sink = owned("appsink");
  chain.insert(chain.end(), {convert, scale, caps, sink});
  if (!convert || !scale || !caps || !sink) {
    for (GstElement* e : chain)
      if (e) gst_object_unref(e);
    return VFW_E_CANNOT_CONNECT;
  }
  g_object_set(sink, "max-buffers", 1u, "drop", TRUE, "sync", FALSE, "emit-signals", FALSE, nullptr);
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = &GstGraphBackend::on_preview_sample;
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
  renderer_ = sink;
  renderer_caps_ = caps;
  update_renderer_caps();
  Link link;
  HResult hr = link_elements(from, chain, nullptr, link);
  if (hr != S_OK) {
    renderer_ = renderer_caps_ = nullptr;
    return hr;
  }
  links_.push_back(std::move(link));
  return S_OK;
}

HResult GstGraphBackend::render_audio_preview(const std::shared_ptr<GstFilter>& from) {
  Link link;
  HResult hr = link_elements(
      from, {owned("queue"), owned("audioconvert"), owned("audioresample"), owned("autoaudiosink")}, nullptr, link);
  if (hr == S_OK) links_.push_back(std::move(link));
  return hr;
}

void GstGraphBackend::update_renderer_caps() {
  if (!renderer_caps_) return;
  int w, h;
  {
    std::lock_guard lock(surface_mutex_);
    w = window_w_;
    h = window_h_;
  }
  GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr);
  if (w > 0 && h > 0)
    gst_caps_set_simple(caps, "width", G_TYPE_INT, w, "height", G_TYPE_INT, h, "pixel-aspect-ratio", GST_TYPE_FRACTION,
                        1, 1, nullptr);
  g_object_set(renderer_caps_, "caps", caps, nullptr);
  gst_caps_unref(caps);
}

void GstGraphBackend::remove_downstream(const FilterRef& filter) {
  auto f = as_gst(filter);
  if (!f || !pipeline_) return;
  // Taking elements out of a playing pipeline is not safe; the engine stops first anyway.
  complete_stop();
  if (running_ || GST_STATE(pipeline_) > GST_STATE_READY) {
    finish_recording();
    stop_pipeline();
  }
  auto forget = [this](const std::shared_ptr<GstFilter>& gone) {
    gone->in_graph = false;
    gone->linked = false;
    if (!gone->name.empty()) named_.erase(gone->name);
    gone->name.clear();
    std::erase(in_graph_, gone);
    for (GstElement* e : gone->elements) {
      gst_element_set_state(e, GST_STATE_NULL);
      if (GST_OBJECT_PARENT(e)) gst_bin_remove(GST_BIN(pipeline_), e);
    }
  };
  for (CaptureRecipe* r : {&video_capture_, &audio_capture_})
    if (r->from == f) {
      if (r->encoder) forget(r->encoder);
      if (mux_) forget(mux_);
      *r = {};
    }
  if (!video_capture_.from && !audio_capture_.from) mux_.reset();
  for (size_t i = 0; i < links_.size();) {
    if (links_[i].from != f) {
      ++i;
      continue;
    }
    Link link = std::move(links_[i]);
    links_.erase(links_.begin() + static_cast<std::ptrdiff_t>(i));
    if (link.to) remove_downstream(link.to);
    drop_link(link);
    if (link.to) forget(link.to);
    i = 0;  // the recursion may have changed the list
  }
}

}  // namespace wellvue::gst
