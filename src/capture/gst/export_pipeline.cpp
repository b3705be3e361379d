#include "capture/gst/export_pipeline.h"

#include <gst/app/gstappsrc.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "capture/gst/gst_ptr.h"
#include "capture/gst/gst_runtime.h"
#include "export/export_error.h"

namespace wellvue::gst {
namespace {

using exporting::Cue;
using exporting::ExportStatus;
using exporting::PipelineOutcome;

GstElement* make(const char* factory) { return gst_element_factory_make(factory, nullptr); }

bool has_factory(const char* name) {
  GstElementFactory* f = gst_element_factory_find(name);
  if (f) gst_object_unref(f);
  return f != nullptr;
}

// What the operator reads for an error posted on the bus.
std::string french_error(const GError* err) {
  const std::string detail = err && err->message ? err->message : "";
  if (err && err->domain == GST_RESOURCE_ERROR) {
    if (err->code == GST_RESOURCE_ERROR_NO_SPACE_LEFT) return "disque plein : l'export n'a pas pu être écrit en entier";
    if (err->code == GST_RESOURCE_ERROR_WRITE || err->code == GST_RESOURCE_ERROR_OPEN_WRITE)
      return "écriture du fichier exporté impossible (" + detail + ")";
    if (err->code == GST_RESOURCE_ERROR_READ || err->code == GST_RESOURCE_ERROR_OPEN_READ ||
        err->code == GST_RESOURCE_ERROR_NOT_FOUND)
      return "lecture de la vidéo impossible (" + detail + ")";
  }
  if (err && ((err->domain == GST_CORE_ERROR && err->code == GST_CORE_ERROR_MISSING_PLUGIN) ||
              (err->domain == GST_STREAM_ERROR && err->code == GST_STREAM_ERROR_CODEC_NOT_FOUND)))
    return "un composant manque pour lire ou encoder cette vidéo (" + detail + ")";
  if (err && err->domain == GST_STREAM_ERROR) return "la vidéo est illisible ou endommagée (" + detail + ")";
  return "l'export a échoué (" + detail + ")";
}

std::string error_of(GstMessage* msg) {
  GError* err = nullptr;
  gst_message_parse_error(msg, &err, nullptr);
  std::string text = french_error(err);
  if (err) g_error_free(err);
  return text;
}

// Ends the pads decodebin offers that the export does not use, so they never stop the stream.
void sink_away(GstElement* pipeline, GstPad* pad) {
  GstElement* sink = make("fakesink");
  g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
  gst_bin_add(GST_BIN(pipeline), sink);
  gst_element_sync_state_with_parent(sink);
  GstPad* in = gst_element_get_static_pad(sink, "sink");
  gst_pad_link(pad, in);
  gst_object_unref(in);
}

std::string media_of(GstPad* pad) {
  CapsPtr caps(gst_pad_get_current_caps(pad));
  if (!caps) caps.reset(gst_pad_query_caps(pad, nullptr));
  if (!caps || gst_caps_is_empty(caps.get())) return "";
  return gst_structure_get_name(gst_caps_get_structure(caps.get(), 0));
}

struct ProbeState {
  GstElement* pipeline = nullptr;
  std::atomic<bool> video{false}, audio{false};
};

void on_probe_pad(GstElement*, GstPad* pad, gpointer data) {
  auto* state = static_cast<ProbeState*>(data);
  const std::string media = media_of(pad);
  if (media.starts_with("video/")) state->video = true;
  if (media.starts_with("audio/")) state->audio = true;
  sink_away(state->pipeline, pad);
}

// A chain of elements added to the bin and linked; false when one is missing or a link fails.
bool add_chain(GstElement* bin, const std::vector<GstElement*>& chain) {
  for (GstElement* e : chain)
    if (!e) {
      for (GstElement* o : chain)
        if (o) gst_object_unref(gst_object_ref_sink(o));
      return false;
    }
  for (GstElement* e : chain) gst_bin_add(GST_BIN(bin), e);
  for (std::size_t i = 0; i + 1 < chain.size(); ++i)
    if (!gst_element_link(chain[i], chain[i + 1])) return false;
  return true;
}

// Timed UTF-8 text buffers, all handed over when the source first asks, then the end.
struct TextFeed {
  const std::vector<Cue>* cues = nullptr;
  // mp4mux times a text sample up to the next one: an empty sample where the last cue ends keeps
  // that cue from lasting no time.
  bool blank_after_last = false;
  bool done = false;
};

void feed_texts(GstAppSrc* src, guint, gpointer data) {
  auto* feed = static_cast<TextFeed*>(data);
  if (feed->done) return;
  feed->done = true;
  for (const Cue& cue : *feed->cues) {
    GstBuffer* buf = gst_buffer_new_memdup(cue.text.data(), cue.text.size());
    GST_BUFFER_PTS(buf) = static_cast<GstClockTime>(cue.start_ms) * GST_MSECOND;
    GST_BUFFER_DURATION(buf) = static_cast<GstClockTime>(cue.end_ms - cue.start_ms) * GST_MSECOND;
    if (gst_app_src_push_buffer(src, buf) != GST_FLOW_OK) return;
  }
  if (feed->blank_after_last && !feed->cues->empty()) {
    GstBuffer* blank = gst_buffer_new();
    GST_BUFFER_PTS(blank) = static_cast<GstClockTime>(feed->cues->back().end_ms) * GST_MSECOND;
    GST_BUFFER_DURATION(blank) = GST_MSECOND;
    if (gst_app_src_push_buffer(src, blank) != GST_FLOW_OK) return;
  }
  gst_app_src_end_of_stream(src);
}

GstElement* text_source(TextFeed& feed) {
  GstElement* src = make("appsrc");
  if (!src) return nullptr;
  CapsPtr caps(gst_caps_from_string("text/x-raw,format=utf8"));
  g_object_set(src, "caps", caps.get(), "format", GST_FORMAT_TIME, "max-bytes", G_GUINT64_CONSTANT(0), nullptr);
  GstAppSrcCallbacks callbacks{};
  callbacks.need_data = feed_texts;
  gst_app_src_set_callbacks(GST_APP_SRC(src), &callbacks, &feed, nullptr);
  return src;
}

// The track's language, sent as a stream tag ahead of its first buffer. Names are written after
// the muxing (src/export): as stream tags matroskamux would write each name twice (the track's
// name and a TITLE tag) and mp4mux would take it for the whole file's title.
struct TrackTags {
  std::string language;
  bool sent = false;
};

GstPadProbeReturn tag_track(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
  auto* tags = static_cast<TrackTags*>(data);
  if (!(GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) || tags->sent) return GST_PAD_PROBE_OK;
  tags->sent = true;
  GstTagList* list = gst_tag_list_new(GST_TAG_LANGUAGE_CODE, tags->language.c_str(), nullptr);
  gst_tag_list_set_scope(list, GST_TAG_SCOPE_STREAM);
  gst_pad_push_event(pad, gst_event_new_tag(list));
  return GST_PAD_PROBE_REMOVE;
}

void tag_language(GstElement* element, TrackTags& tags, const std::string& language) {
  tags.language = language;
  GstPad* out = gst_element_get_static_pad(element, "src");
  gst_pad_add_probe(out, GST_PAD_PROBE_TYPE_BUFFER, tag_track, &tags, nullptr);
  gst_object_unref(out);
}

struct RunState {
  GstElement* pipeline = nullptr;
  GstElement* video_in = nullptr;  // first element of the video branch
  GstElement* audio_in = nullptr;  // first element of the audio branch, or null
  bool video_linked = false, audio_linked = false;
  std::atomic<gint64> position_ns{0};
};

void on_run_pad(GstElement*, GstPad* pad, gpointer data) {
  auto* state = static_cast<RunState*>(data);
  const std::string media = media_of(pad);
  GstElement* target = nullptr;
  if (media.starts_with("video/x-raw") && !state->video_linked) {
    target = state->video_in;
    state->video_linked = true;
  } else if (media.starts_with("audio/x-raw") && state->audio_in && !state->audio_linked) {
    target = state->audio_in;
    state->audio_linked = true;
  }
  if (!target) {
    sink_away(state->pipeline, pad);
    return;
  }
  GstPad* in = gst_element_get_static_pad(target, "sink");
  gst_pad_link(pad, in);
  gst_object_unref(in);
}

GstPadProbeReturn note_position(GstPad*, GstPadProbeInfo* info, gpointer data) {
  auto* state = static_cast<RunState*>(data);
  GstBuffer* buf = GST_PAD_PROBE_INFO_BUFFER(info);
  if (buf && GST_BUFFER_PTS_IS_VALID(buf)) state->position_ns = static_cast<gint64>(GST_BUFFER_PTS(buf));
  return GST_PAD_PROBE_OK;
}

// x264's quality target (its constant rate factor): what a viewer takes for the camera's own
// picture. In this mode x264enc reads "bitrate" as the ceiling of its buffer model (2048 kb/s by
// default, which every export ran into): the ceiling is raised to what H.264 level 3 allows a
// standard-definition stream, so only a picture of pure noise (a lost camera signal) meets it.
constexpr unsigned kQualityTarget = 21;
constexpr unsigned kCeilingKbps = 12000;

GstElement* h264_encoder() {
  const std::string factory = export_video_encoder();
  if (factory.empty()) return nullptr;
  GstElement* enc = make(factory.c_str());
  if (factory == "x264enc") {
    // A fast preset: several times real time on two cores (bench/export).
    gst_util_set_object_arg(G_OBJECT(enc), "speed-preset", "superfast");
    gst_util_set_object_arg(G_OBJECT(enc), "pass", "qual");
    g_object_set(enc, "quantizer", kQualityTarget, "bitrate", kCeilingKbps, "threads", 2u, nullptr);
  } else {
    // openh264 (when x264 is missing) has no quality target: its quality mode aims at a rate, set
    // to about twice what x264 gives a camera's picture, under the same ceiling.
    gst_util_set_object_arg(G_OBJECT(enc), "rate-control", "quality");
    g_object_set(enc, "bitrate", kCeilingKbps * 1000u / 2, "max-bitrate", kCeilingKbps * 1000u, nullptr);
  }
  return enc;
}

GstElement* aac_encoder() {
  for (const char* f : {"avenc_aac", "voaacenc", "fdkaacenc"})
    if (GstElement* e = make(f)) return e;
  return nullptr;
}

GstElement* make_overlay() {
  GstElement* overlay = make("textoverlay");
  if (!overlay) return nullptr;
  gst_util_set_object_arg(G_OBJECT(overlay), "valignment", "top");
  gst_util_set_object_arg(G_OBJECT(overlay), "halignment", "left");
  gst_util_set_object_arg(G_OBJECT(overlay), "line-alignment", "left");
  g_object_set(overlay, "font-desc", "Sans Bold 16", "shaded-background", TRUE, nullptr);
  return overlay;
}

// Builds the whole graph into `pipeline`; the text feeds and tags must outlive it.
std::string build(GstElement* pipeline, const exporting::ExportPlan& plan, bool with_audio, RunState& state,
                  std::vector<TextFeed>& feeds, std::vector<TrackTags>& tags, TextFeed& burn_feed) {
  tags.resize(plan.tracks.size() + 1);  // the video's last
  const bool mp4 = plan.format == exporting::ExportFormat::Mp4;
  GstElement* src = make("filesrc");
  GstElement* decode = make("decodebin");
  GstElement* mux = make(mp4 ? "mp4mux" : "matroskamux");
  GstElement* sink = make("fdsink");
  if (!add_chain(pipeline, {src, decode})) return "lecture de la vidéo impossible (decodebin manque)";
  g_object_set(src, "location", plan.avi.c_str(), nullptr);
  if (!add_chain(pipeline, {mux, sink})) return "le format de fichier demandé n'est pas installé";
  g_object_set(sink, "fd", plan.output_fd, "sync", FALSE, nullptr);
  if (mp4) {
    // The file's own title (players show it in their title bar); Matroska's is written after the
    // muxing, in the segment's information.
    if (!plan.title.empty())
      gst_tag_setter_add_tags(GST_TAG_SETTER(mux), GST_TAG_MERGE_REPLACE, GST_TAG_TITLE, plan.title.c_str(), nullptr);
    // Index first (fast start), without a second pass over the file: room for the index is kept
    // at the start for the video's length and written there at the end. Some margin in case the
    // encoded video runs a little longer than the probe said.
    const auto reserved = static_cast<guint64>(plan.duration_ms + plan.duration_ms / 10 + 10000) * GST_MSECOND;
    g_object_set(mux, "reserved-max-duration", reserved, "reserved-moov-update-period", reserved, nullptr);
  }

  GstElement* encoder = h264_encoder();
  if (!encoder) return "aucun encodeur H.264 installé (paquet gstreamer1.0-plugins-ugly)";
  GstElement* overlay = plan.burn.empty() ? nullptr : make_overlay();
  if (!plan.burn.empty() && !overlay) {
    gst_object_unref(gst_object_ref_sink(encoder));
    return "l'incrustation du texte n'est pas installée (paquet gstreamer1.0-x)";
  }
  GstElement* queue = make("queue");
  GstElement* i420 = make("capsfilter");
  GstElement* parse = make("h264parse");
  std::vector<GstElement*> video{queue, make("videoconvert")};
  if (overlay) video.push_back(overlay);
  for (GstElement* e : {i420, encoder, parse}) video.push_back(e);
  if (!add_chain(pipeline, video))
    return "un composant manque pour encoder la vidéo (h264parse : paquet gstreamer1.0-plugins-bad)";
  // Players want 4:2:0 H.264 whatever the camera's format.
  CapsPtr caps(gst_caps_from_string("video/x-raw,format=I420"));
  g_object_set(i420, "caps", caps.get(), nullptr);
  if (!gst_element_link(parse, mux)) return "le format de fichier refuse la vidéo H.264";
  tag_language(parse, tags.back(), plan.language);
  state.video_in = queue;
  GstPad* enc_in = gst_element_get_static_pad(encoder, "sink");
  gst_pad_add_probe(enc_in, GST_PAD_PROBE_TYPE_BUFFER, note_position, &state, nullptr);
  gst_object_unref(enc_in);

  if (overlay) {
    burn_feed.cues = &plan.burn;
    GstElement* text = text_source(burn_feed);
    if (!text) return "la source de texte manque (appsrc)";
    gst_bin_add(GST_BIN(pipeline), text);
    if (!gst_element_link_pads(text, "src", overlay, "text_sink")) return "l'incrustation du texte refuse le texte";
  }

  if (with_audio) {
    GstElement* aq = make("queue");
    GstElement* aconv = make("audioconvert");
    GstElement* resample = make("audioresample");
    GstElement* aenc = aac_encoder();
    if (!aenc) aenc = make("opusenc");
    if (!add_chain(pipeline, {aq, aconv, resample, aenc}) || !gst_element_link(aenc, mux))
      return "la chaîne d'encodage du son n'a pas pu être construite";
    state.audio_in = aq;
  }

  feeds.resize(plan.tracks.size());
  for (std::size_t i = 0; i < plan.tracks.size(); ++i) {
    feeds[i].cues = &plan.tracks[i].cues;
    feeds[i].blank_after_last = mp4;
    GstElement* text = text_source(feeds[i]);
    if (!text) return "la source de texte manque (appsrc)";
    gst_bin_add(GST_BIN(pipeline), text);
    tag_language(text, tags[i], plan.tracks[i].language);
    GstPad* out = gst_element_get_static_pad(text, "src");
    GstPad* in = gst_element_request_pad_simple(mux, "subtitle_%u");
    const bool linked = in && gst_pad_link(out, in) == GST_PAD_LINK_OK;
    gst_object_unref(out);
    if (in) gst_object_unref(in);
    if (!linked) return "le format de fichier refuse les sous-titres";
  }
  g_signal_connect(decode, "pad-added", G_CALLBACK(on_run_pad), &state);
  return "";
}

}  // namespace

std::string export_video_encoder() {
  if (!ensure_gstreamer()) return "";
  for (const char* f : {"x264enc", "openh264enc"})
    if (has_factory(f)) return f;
  return "";
}

exporting::VideoFacts GstExportBackend::probe(const std::filesystem::path& avi) {
  if (!ensure_gstreamer()) throw exporting::ExportError("GStreamer ne démarre pas");
  auto pipeline = ObjectRef<GstElement>::share(gst_pipeline_new("export-probe"));
  ProbeState state;
  state.pipeline = pipeline.get();
  GstElement* src = make("filesrc");
  GstElement* decode = make("decodebin");
  if (!add_chain(pipeline.get(), {src, decode})) throw exporting::ExportError("lecture de la vidéo impossible");
  g_object_set(src, "location", avi.c_str(), nullptr);
  g_signal_connect(decode, "pad-added", G_CALLBACK(on_probe_pad), &state);
  auto bus = ObjectRef<GstBus>::adopt(gst_element_get_bus(pipeline.get()));
  gst_element_set_state(pipeline.get(), GST_STATE_PAUSED);
  MessagePtr msg(gst_bus_timed_pop_filtered(bus.get(), 30 * GST_SECOND,
                                            static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR)));
  std::string failure;
  exporting::VideoFacts facts;
  if (!msg) {
    failure = "la vidéo ne se lit pas (aucune réponse)";
  } else if (GST_MESSAGE_TYPE(msg.get()) == GST_MESSAGE_ERROR) {
    failure = error_of(msg.get());
  } else {
    gint64 duration = 0;
    if (gst_element_query_duration(pipeline.get(), GST_FORMAT_TIME, &duration) && duration > 0)
      facts.duration_ms = duration / static_cast<gint64>(GST_MSECOND);
    facts.has_audio = state.audio;
    if (!state.video) failure = "le fichier ne contient pas d'images vidéo";
    else if (facts.duration_ms <= 0) failure = "la durée de la vidéo est illisible";
  }
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  if (!failure.empty()) throw exporting::ExportError(failure + " : " + avi.string());
  return facts;
}

PipelineOutcome GstExportBackend::run(const exporting::ExportPlan& plan, const exporting::ProgressFn& progress,
                                      const std::atomic<bool>& cancel) {
  if (!ensure_gstreamer()) return {ExportStatus::Failed, "GStreamer ne démarre pas"};
  auto pipeline = ObjectRef<GstElement>::share(gst_pipeline_new("export"));
  RunState state;
  state.pipeline = pipeline.get();
  std::vector<TextFeed> feeds;
  std::vector<TrackTags> tags;
  TextFeed burn_feed;
  const std::string problem = build(pipeline.get(), plan, plan.audio, state, feeds, tags, burn_feed);
  if (!problem.empty()) return {ExportStatus::Failed, problem};

  auto bus = ObjectRef<GstBus>::adopt(gst_element_get_bus(pipeline.get()));
  PipelineOutcome outcome{ExportStatus::Failed, ""};
  if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    MessagePtr msg(gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR));
    outcome.message = msg ? error_of(msg.get()) : "l'export n'a pas pu démarrer";
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return outcome;
  }
  const double total_ns = static_cast<double>(std::max<std::int64_t>(plan.duration_ms, 1)) * GST_MSECOND;
  int last_permille = -1;
  for (;;) {
    if (cancel) {
      outcome = {ExportStatus::Cancelled, ""};
      break;
    }
    MessagePtr msg(gst_bus_timed_pop_filtered(bus.get(), 100 * GST_MSECOND,
                                              static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    if (msg && GST_MESSAGE_TYPE(msg.get()) == GST_MESSAGE_EOS) {
      outcome = {ExportStatus::Done, ""};
      break;
    }
    if (msg) {
      outcome = {ExportStatus::Failed, error_of(msg.get())};
      break;
    }
    const int permille = static_cast<int>(std::min(1.0, static_cast<double>(state.position_ns) / total_ns) * 1000);
    if (progress && permille != last_permille) progress(permille / 1000.0);
    last_permille = permille;
  }
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  return outcome;
}

}  // namespace wellvue::gst
