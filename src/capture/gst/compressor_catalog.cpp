#include "capture/gst/compressor_catalog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string_view>
#include <thread>

#include "capture/gst/gst_ptr.h"
#include "capture/gst/gst_runtime.h"
#include "capture/recording_format.h"

namespace wellvue::gst {
namespace {

// The muxer the recording's format ends in: only encoders it accepts are offered.
std::string muxer_name() { return std::string(default_recording_format().muxer); }

std::mutex g_mutex;

// Settings that keep a slow encoder up with a live camera.
void tune_encoder(GstElement* enc, std::string_view factory) {
  if (factory == "vp8enc" || factory == "vp9enc") gst_util_set_object_arg(G_OBJECT(enc), "deadline", "1");
  if (factory == "x264enc") {
    gst_util_set_object_arg(G_OBJECT(enc), "speed-preset", "ultrafast");
    gst_util_set_object_arg(G_OBJECT(enc), "tune", "zerolatency");
  }
}

GstElement* chain_bin(const char* name, const std::vector<GstElement*>& chain) {
  GstElement* bin = gst_bin_new(name);
  for (GstElement* e : chain) gst_bin_add(GST_BIN(bin), e);
  for (size_t i = 0; i + 1 < chain.size(); ++i)
    if (!gst_element_link(chain[i], chain[i + 1])) {
      gst_object_unref(bin);
      return nullptr;
    }
  GstPad* sink = gst_element_get_static_pad(chain.front(), "sink");
  GstPad* src = gst_element_get_static_pad(chain.back(), "src");
  gst_element_add_pad(bin, gst_ghost_pad_new("sink", sink));
  gst_element_add_pad(bin, gst_ghost_pad_new("src", src));
  gst_object_unref(sink);
  gst_object_unref(src);
  return bin;
}

// Runs a tiny pipeline to its end: true when it got there without an error.
bool runs_to_end(GstElement* pipeline) {
  if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    gst_element_set_state(pipeline, GST_STATE_NULL);
    return false;
  }
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* msg = gst_bus_timed_pop_filtered(bus, 10 * GST_SECOND,
                                               static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  const bool ok = msg && GST_MESSAGE_TYPE(msg) == GST_MESSAGE_EOS;
  if (msg) gst_message_unref(msg);
  gst_object_unref(bus);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  return ok;
}

bool trial_video(const Compressor& c) {
  GstElement* pipeline = gst_pipeline_new(nullptr);
  GstElement* src = gst_element_factory_make("videotestsrc", nullptr);
  GstElement* caps = gst_element_factory_make("capsfilter", nullptr);
  GstElement* enc = make_video_encoder_bin(c, nullptr);
  GstElement* mux = gst_element_factory_make(muxer_name().c_str(), nullptr);
  GstElement* sink = gst_element_factory_make("fakesink", nullptr);
  if (!src || !caps || !enc || !mux || !sink) {
    for (GstElement* e : {src, caps, enc, mux, sink})
      if (e) gst_object_unref(gst_object_ref_sink(e));
    gst_object_unref(pipeline);
    return false;
  }
  g_object_set(src, "num-buffers", 3, nullptr);
  GstCaps* raw = gst_caps_from_string("video/x-raw,format=I420,width=320,height=240,framerate=25/1");
  g_object_set(caps, "caps", raw, nullptr);
  gst_caps_unref(raw);
  gst_bin_add_many(GST_BIN(pipeline), src, caps, enc, mux, sink, nullptr);
  const bool ok = gst_element_link_many(src, caps, enc, mux, sink, nullptr) && runs_to_end(pipeline);
  gst_object_unref(pipeline);
  return ok;
}

bool trial_audio(const Compressor& c) {
  GstElement* pipeline = gst_pipeline_new(nullptr);
  GstElement* src = gst_element_factory_make("audiotestsrc", nullptr);
  GstElement* enc = make_audio_encoder_bin(c, nullptr);
  GstElement* mux = gst_element_factory_make(muxer_name().c_str(), nullptr);
  GstElement* sink = gst_element_factory_make("fakesink", nullptr);
  if (!src || !enc || !mux || !sink) {
    for (GstElement* e : {src, enc, mux, sink})
      if (e) gst_object_unref(gst_object_ref_sink(e));
    gst_object_unref(pipeline);
    return false;
  }
  g_object_set(src, "num-buffers", 5, nullptr);
  gst_bin_add_many(GST_BIN(pipeline), src, enc, mux, sink, nullptr);
  const bool ok = gst_element_link_many(src, enc, mux, sink, nullptr) && runs_to_end(pipeline);
  gst_object_unref(pipeline);
  return ok;
}

// Encoder factories of a kind whose output one of the muxer's sink templates accepts.
std::vector<std::string> candidates(GstElementFactoryListType kind, const char* pad_prefix) {
  std::vector<std::string> out;
  GstElementFactory* mux = gst_element_factory_find(muxer_name().c_str());
  if (!mux) return out;
  GList* encoders = gst_element_factory_list_get_elements(kind, GST_RANK_NONE);
  for (const GList* t = gst_element_factory_get_static_pad_templates(mux); t; t = t->next) {
    auto* templ = static_cast<GstStaticPadTemplate*>(t->data);
    if (templ->direction != GST_PAD_SINK || !g_str_has_prefix(templ->name_template, pad_prefix)) continue;
    GstCaps* caps = gst_static_pad_template_get_caps(templ);
    GList* ok = gst_element_factory_list_filter(encoders, caps, GST_PAD_SRC, FALSE);
    for (GList* f = ok; f; f = f->next) {
      std::string name = gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(f->data));
      if (std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
    }
    gst_plugin_feature_list_free(ok);
    gst_caps_unref(caps);
  }
  gst_plugin_feature_list_free(encoders);
  gst_object_unref(mux);
  std::sort(out.begin(), out.end());
  return out;
}

std::string long_name(const std::string& factory) {
  GstElementFactory* f = gst_element_factory_find(factory.c_str());
  if (!f) return factory;
  std::string name = gst_element_factory_get_metadata(f, GST_ELEMENT_METADATA_LONGNAME);
  gst_object_unref(f);
  return name;
}

// What identifies the installed encoders: the GStreamer version and, for each candidate, the
// plugin file it comes from with that file's size and time. A change of any re-runs the trials.
std::string installation_key(const std::vector<std::string>& factories) {
  std::ostringstream key;
  key << gst_version_string();
  for (const auto& name : factories) {
    key << '|' << name;
    GstElementFactory* f = gst_element_factory_find(name.c_str());
    if (!f) continue;
    if (GstPlugin* plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(f))) {
      const gchar* file = gst_plugin_get_filename(plugin);
      struct stat st {};
      if (file && ::stat(file, &st) == 0) key << ':' << file << ':' << st.st_size << ':' << st.st_mtime;
      gst_object_unref(plugin);
    }
    gst_object_unref(f);
  }
  return key.str();
}

std::filesystem::path cache_file(bool video) {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  std::filesystem::path base = xdg && *xdg ? xdg : home && *home ? std::filesystem::path(home) / ".cache" : "";
  if (base.empty()) return {};
  return base / "wellvue" / (video ? "video-encoders.txt" : "audio-encoders.txt");
}

// The factories that passed the trial last time, when the installation is the same.
std::optional<std::vector<std::string>> cached_good(const std::filesystem::path& file, const std::string& key) {
  if (file.empty()) return std::nullopt;
  std::ifstream in(file);
  std::string first;
  if (!in || !std::getline(in, first) || first != key) return std::nullopt;
  std::vector<std::string> good;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) good.push_back(line);
  return good;
}

void store_good(const std::filesystem::path& file, const std::string& key, const std::vector<std::string>& good) {
  if (file.empty()) return;
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  const auto tmp = file.string() + "." + std::to_string(::getpid()) + ".tmp";  // runs may race
  {
    std::ofstream out(tmp, std::ios::trunc);
    if (!out) return;
    out << key << '\n';
    for (const auto& g : good) out << g << '\n';
    if (!out) return;
  }
  std::filesystem::rename(tmp, file, ec);  // whole or not at all
}

// OpenH264's element asks its library for more output when a trial ends, and the library answers
// "[OpenH264] ... cmInitParaError" on stderr: no fault, only noise at every start. While the
// trials run, stderr goes to a temporary file; then every other line written there, by any
// thread, is passed on to the real stderr.
class OpenH264Hush {
 public:
  OpenH264Hush() {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    held_ = saved_ < 0 ? nullptr : std::tmpfile();
    if (held_ && ::dup2(::fileno(held_), STDERR_FILENO) >= 0) return;
    if (held_) std::fclose(held_);
    if (saved_ >= 0) ::close(saved_);
    held_ = nullptr;
  }
  ~OpenH264Hush() {
    if (!held_) return;
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
    std::rewind(held_);
    char* line = nullptr;
    size_t size = 0;
    while (::getline(&line, &size, held_) > 0)
      if (std::strncmp(line, "[OpenH264]", 10) != 0) std::fputs(line, stderr);
    std::free(line);
    std::fclose(held_);
  }
  OpenH264Hush(const OpenH264Hush&) = delete;
  OpenH264Hush& operator=(const OpenH264Hush&) = delete;

 private:
  int saved_ = -1;
  std::FILE* held_ = nullptr;
};

// Tries every candidate on two threads (the trials are independent pipelines); keeps the order.
// The verdicts are kept on disk so a later run on the same installation does not try again.
std::vector<std::shared_ptr<const Compressor>> tried(const std::vector<std::string>& factories, bool video) {
  std::vector<std::shared_ptr<Compressor>> all;
  for (const auto& f : factories) {
    auto c = std::make_shared<Compressor>();
    c->factory = f;
    c->dv = f == "avenc_dvvideo";
    c->name = c->dv ? kDvCompressorName : f == "x264enc" ? kX264CompressorName : long_name(f);
    all.push_back(c);
  }
  std::vector<char> good(all.size(), 0);
  const std::string key = installation_key(factories);
  const auto file = cache_file(video);
  if (const auto known = cached_good(file, key)) {
    for (size_t i = 0; i < all.size(); ++i)
      good[i] = std::find(known->begin(), known->end(), all[i]->factory) != known->end();
  } else {
    auto work = [&](size_t first) {
      for (size_t i = first; i < all.size(); i += 2) good[i] = video ? trial_video(*all[i]) : trial_audio(*all[i]);
    };
    {
      OpenH264Hush hush;
      std::thread other(work, 1);
      work(0);
      other.join();
    }
    std::vector<std::string> passed;
    for (size_t i = 0; i < all.size(); ++i)
      if (good[i]) passed.push_back(all[i]->factory);
    store_good(file, key, passed);
  }
  std::vector<std::shared_ptr<const Compressor>> out;
  for (size_t i = 0; i < all.size(); ++i)
    if (good[i]) out.push_back(all[i]);
  return out;
}

}  // namespace

CompressorCatalog& CompressorCatalog::instance() {
  static auto* catalog = new CompressorCatalog;
  return *catalog;
}

std::vector<std::shared_ptr<const Compressor>> CompressorCatalog::video() {
  std::lock_guard lock(g_mutex);
  if (!video_done_ && ensure_gstreamer()) {
    video_ = tried(candidates(GST_ELEMENT_FACTORY_TYPE_VIDEO_ENCODER, "video_"), true);
    video_done_ = true;
  }
  return video_;
}

std::vector<std::shared_ptr<const Compressor>> CompressorCatalog::audio() {
  std::lock_guard lock(g_mutex);
  if (!audio_done_ && ensure_gstreamer()) {
    audio_ = tried(candidates(GST_ELEMENT_FACTORY_TYPE_AUDIO_ENCODER, "audio_"), false);
    audio_done_ = true;
  }
  return audio_;
}

GstElement* make_video_encoder_bin(const Compressor& c, const char* name) {
  GstElement* enc = gst_element_factory_make(c.factory.c_str(), nullptr);
  if (!enc) return nullptr;
  tune_encoder(enc, c.factory);
  std::vector<GstElement*> chain;
  if (c.dv) {
    // DV holds only 720x576 at 25 fps (PAL) in AVI.
    GstElement* scale = gst_element_factory_make("videoscale", nullptr);
    GstElement* rate = gst_element_factory_make("videorate", nullptr);
    GstElement* caps = gst_element_factory_make("capsfilter", nullptr);
    g_object_set(rate, "skip-to-first", TRUE, nullptr);
    GstCaps* dv = gst_caps_from_string("video/x-raw,width=720,height=576,framerate=25/1");
    g_object_set(caps, "caps", dv, nullptr);
    gst_caps_unref(dv);
    chain = {scale, rate, caps};
  }
  chain.push_back(gst_element_factory_make("videoconvert", nullptr));
  chain.push_back(enc);
  return chain_bin(name, chain);
}

GstElement* make_audio_encoder_bin(const Compressor& c, const char* name) {
  GstElement* enc = gst_element_factory_make(c.factory.c_str(), nullptr);
  if (!enc) return nullptr;
  return chain_bin(name, {gst_element_factory_make("audioconvert", nullptr),
                          gst_element_factory_make("audioresample", nullptr), enc});
}

}  // namespace wellvue::gst
