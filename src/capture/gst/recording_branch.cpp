#include "capture/gst/recording_branch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "capture/gst/gst_ptr.h"
#include "capture/recording_format.h"

namespace wellvue::gst {
namespace {

GstElement* make(const char* factory) { return gst_element_factory_make(factory, nullptr); }

GstPadProbeReturn count_buffers(GstPad*, GstPadProbeInfo* info, gpointer counter) {
  auto* n = static_cast<std::atomic<std::uint64_t>*>(counter);
  if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER_LIST)
    *n += gst_buffer_list_length(GST_PAD_PROBE_INFO_BUFFER_LIST(info));
  else *n += 1;
  return GST_PAD_PROBE_OK;
}

void count_on(GstElement* e, const char* pad_name, std::atomic<std::uint64_t>* counter) {
  GstPad* pad = gst_element_get_static_pad(e, pad_name);
  gst_pad_add_probe(pad, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                    count_buffers, counter, nullptr);
  gst_object_unref(pad);
}

// When the buffer passing `pad` was captured, on the steady clock: now, less the time since its
// timestamp on the pipeline's clock (whatever that clock is). Now itself when it has no timestamp.
std::int64_t capture_time_ns(GstPad* pad, GstPadProbeInfo* info) {
  const std::int64_t now =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
  GstBuffer* buffer = nullptr;
  if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
    buffer = GST_PAD_PROBE_INFO_BUFFER(info);
  } else if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER_LIST) {
    GstBufferList* list = GST_PAD_PROBE_INFO_BUFFER_LIST(info);
    if (list && gst_buffer_list_length(list) > 0) buffer = gst_buffer_list_get(list, 0);
  }
  GstElement* element = GST_PAD_PARENT(pad);
  if (!buffer || !element || !GST_BUFFER_PTS_IS_VALID(buffer)) return now;
  GstClock* clock = gst_element_get_clock(element);
  if (!clock) return now;
  const GstClockTime clock_now = gst_clock_get_time(clock);
  gst_object_unref(clock);
  const GstClockTime captured = gst_element_get_base_time(element) + GST_BUFFER_PTS(buffer);
  // A lag outside 0..1 s means the timestamp is not running time: trust the arrival instead.
  if (clock_now < captured || clock_now - captured > GST_SECOND) return now;
  return now - static_cast<std::int64_t>(clock_now - captured);
}

bool link_chain(const std::vector<GstElement*>& chain) {
  for (size_t i = 0; i + 1 < chain.size(); ++i)
    if (!gst_element_link(chain[i], chain[i + 1])) return false;
  return true;
}

void add_ghost(GstElement* bin, GstElement* first, const char* name) {
  GstPad* target = gst_element_get_static_pad(first, "sink");
  gst_element_add_pad(bin, gst_ghost_pad_new(name, target));
  gst_object_unref(target);
}

// A leaky queue: a slow encoder loses frames here (filled in again by videorate) rather than
// stalling the tee and with it the preview.
GstElement* branch_queue() {
  GstElement* q = make("queue");
  g_object_set(q, "max-size-buffers", 0u, "max-size-bytes", 0u, "max-size-time", guint64(2 * GST_SECOND), nullptr);
  gst_util_set_object_arg(G_OBJECT(q), "leaky", "downstream");
  return q;
}

void apply_settings(GstElement* encoder_bin, const std::string& settings) {
  if (settings.empty() || !encoder_bin) return;
  // The encoder is the last element of its chain bin.
  GstIterator* it = gst_bin_iterate_sorted(GST_BIN(encoder_bin));
  GValue item = G_VALUE_INIT;
  GstElement* enc = nullptr;
  if (gst_iterator_next(it, &item) == GST_ITERATOR_OK) enc = GST_ELEMENT(g_value_get_object(&item));
  if (enc) {
    size_t start = 0;
    while (start < settings.size()) {
      size_t end = settings.find('\n', start);
      if (end == std::string::npos) end = settings.size();
      const std::string line = settings.substr(start, end - start);
      const size_t eq = line.find('=');
      if (eq != std::string::npos && g_object_class_find_property(G_OBJECT_GET_CLASS(enc), line.substr(0, eq).c_str()))
        gst_util_set_object_arg(G_OBJECT(enc), line.substr(0, eq).c_str(), line.substr(eq + 1).c_str());
      start = end + 1;
    }
  }
  g_value_unset(&item);
  gst_iterator_free(it);
}

struct DetachCtx {
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  std::shared_ptr<std::atomic<int>> gate;
};

// Runs when no buffer is passing the tee pad: close the gate, end the branch's stream, unlink.
GstPadProbeReturn detach_when_idle(GstPad* pad, GstPadProbeInfo*, gpointer data) {
  auto* ctx = static_cast<std::shared_ptr<DetachCtx>*>(data);
  (*ctx)->gate->store(2);
  if (GstPad* peer = gst_pad_get_peer(pad)) {
    gst_pad_send_event(peer, gst_event_new_eos());
    gst_pad_unlink(pad, peer);
    gst_object_unref(peer);
  }
  {
    std::lock_guard lock((*ctx)->m);
    (*ctx)->done = true;
  }
  (*ctx)->cv.notify_all();
  return GST_PAD_PROBE_REMOVE;
}

}  // namespace

GstPadProbeReturn RecordingBranch::gate_probe(GstPad* pad, GstPadProbeInfo* info, gpointer p) {
  Feed& feed = **static_cast<std::shared_ptr<Feed>*>(p);
  if (feed.gate.load() != kFlowing) return GST_PAD_PROBE_DROP;
  if (feed.first_ns.load() == 0) feed.first_ns.store(capture_time_ns(pad, info));
  return GST_PAD_PROBE_OK;
}

std::unique_ptr<RecordingBranch> RecordingBranch::start(GstElement* pipeline, const RecordingPlan& plan, bool held,
                                                        std::string& why, int& open_error) {
  open_error = 0;
  std::unique_ptr<RecordingBranch> r(new RecordingBranch);
  r->pipeline_ = pipeline;
  r->path_ = plan.path;
  r->bin_ = GST_ELEMENT(gst_object_ref_sink(gst_bin_new(nullptr)));
  GstBin* bin = GST_BIN(r->bin_);
  GstElement* mux = make(std::string(default_recording_format().muxer).c_str());
  r->sink_ = make("fdsink");
  if (!mux || !r->sink_ || !plan.video_tee) {
    if (mux) gst_object_unref(gst_object_ref_sink(mux));
    if (r->sink_) gst_object_unref(gst_object_ref_sink(r->sink_));
    r->sink_ = nullptr;
    why = std::string(default_recording_format().muxer) + " or fdsink missing";
    return nullptr;
  }
  g_object_set(r->sink_, "async", FALSE, nullptr);
  gst_bin_add_many(bin, mux, r->sink_, nullptr);
  if (!gst_element_link(mux, r->sink_)) {
    why = "muxer to file writer";
    return nullptr;
  }

  // Video: queue ! videorate ! [decoder] ! [encoder | converter] ! the format's muxer
  std::vector<GstElement*> chain{branch_queue()};
  const bool raw = plan.video_media_type == "video/x-raw";
  if (plan.video_media_type != "video/x-dv") {
    r->videorate_ = make("videorate");
    g_object_set(r->videorate_, "skip-to-first", TRUE, nullptr);
    chain.push_back(r->videorate_);
  }
  if (plan.video_encoder) {
    if (plan.video_media_type == "image/jpeg") chain.push_back(make("jpegdec"));
    if (plan.video_media_type == "video/x-dv") chain.push_back(make("avdec_dvvideo"));
    GstElement* enc = make_video_encoder_bin(*plan.video_encoder, nullptr);
    apply_settings(enc, plan.video_settings);
    chain.push_back(enc);
  } else if (raw) {
    chain.push_back(make("videoconvert"));  // passes through what the muxer takes as it is
  }
  for (GstElement* e : chain)
    if (!e) {
      for (GstElement* x : chain)
        if (x) gst_object_unref(gst_object_ref_sink(x));
      why = "an element of the video branch is missing";
      return nullptr;
    }
  for (GstElement* e : chain) gst_bin_add(bin, e);
  GstPad* mux_video = gst_element_request_pad_simple(mux, "video_%u");
  GstPad* last_src = gst_element_get_static_pad(chain.back(), "src");
  const bool video_ok = link_chain(chain) && mux_video && GST_PAD_LINK_SUCCESSFUL(gst_pad_link(last_src, mux_video));
  gst_object_unref(last_src);
  if (mux_video) {
    gst_pad_add_probe(mux_video,
                      static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                      count_buffers, &r->written_, nullptr);
    gst_object_unref(mux_video);
  }
  if (!video_ok) {
    why = "video branch cannot be linked";
    return nullptr;
  }
  count_on(chain.front(), "sink", &r->entered_);
  count_on(chain.front(), "src", &r->left_);
  add_ghost(r->bin_, chain.front(), "video_sink");

  if (plan.audio_tee) {
    std::vector<GstElement*> audio{branch_queue(), make("audioconvert"), make("audioresample")};
    if (plan.audio_encoder) {
      GstElement* enc = make_audio_encoder_bin(*plan.audio_encoder, nullptr);
      apply_settings(enc, plan.audio_settings);
      audio.push_back(enc);
    }
    for (GstElement* e : audio)
      if (!e) {
        for (GstElement* x : audio)
          if (x) gst_object_unref(gst_object_ref_sink(x));
        why = "an element of the audio branch is missing";
        return nullptr;
      }
    for (GstElement* e : audio) gst_bin_add(bin, e);
    GstPad* mux_audio = gst_element_request_pad_simple(mux, "audio_%u");
    GstPad* src = gst_element_get_static_pad(audio.back(), "src");
    const bool ok = link_chain(audio) && mux_audio && GST_PAD_LINK_SUCCESSFUL(gst_pad_link(src, mux_audio));
    gst_object_unref(src);
    if (mux_audio) gst_object_unref(mux_audio);
    if (!ok) {
      why = "audio branch cannot be linked";
      return nullptr;
    }
    add_ghost(r->bin_, audio.front(), "audio_sink");
  }

  // The file last, once nothing else can fail: a name taken (a stale file, a planted link) is
  // refused rather than followed or replaced.
  r->fd_ = ::open(plan.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (r->fd_ < 0) {
    open_error = errno;
    why = "the file cannot be created: " + plan.path + ": " + std::strerror(open_error);
    return nullptr;
  }
  g_object_set(r->sink_, "fd", r->fd_, nullptr);
  gst_bin_add(GST_BIN(pipeline), r->bin_);
  if (!gst_element_sync_state_with_parent(r->bin_)) {
    why = "the file cannot be opened: " + plan.path;
    r->tear_down();
    return nullptr;
  }

  // Feed the branch from the tees, each pad gated shut until the branch runs.
  auto feed_from = [&](GstElement* tee, const char* ghost_name) {
    auto feed = std::make_shared<Feed>();
    feed->tee = tee;
    feed->tee_pad = gst_element_request_pad_simple(tee, "src_%u");
    if (!feed->tee_pad) return false;
    gst_pad_add_probe(
        feed->tee_pad, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
        gate_probe, new std::shared_ptr<Feed>(feed), [](gpointer p) { delete static_cast<std::shared_ptr<Feed>*>(p); });
    GstPad* ghost = gst_element_get_static_pad(r->bin_, ghost_name);
    const bool ok = GST_PAD_LINK_SUCCESSFUL(gst_pad_link(feed->tee_pad, ghost));
    gst_object_unref(ghost);
    r->feeds_.push_back(feed);
    return ok;
  };
  if (!feed_from(plan.video_tee, "video_sink") || (plan.audio_tee && !feed_from(plan.audio_tee, "audio_sink"))) {
    why = "the branch cannot be fed from the tee";
    r->tear_down();
    return nullptr;
  }
  r->set_held(held);
  return r;
}

RecordingBranch::~RecordingBranch() { tear_down(); }

void RecordingBranch::set_held(bool held) {
  for (auto& f : feeds_) {
    int expected = held ? kFlowing : kHeld;
    f->gate.compare_exchange_strong(expected, held ? kHeld : kFlowing);
  }
}

bool RecordingBranch::held() const { return feeds_.empty() || feeds_.front()->gate.load() != kFlowing; }

bool RecordingBranch::contains(GstObject* object) const {
  return bin_ && object && gst_object_has_as_ancestor(object, GST_OBJECT(bin_));
}

void RecordingBranch::note_eos(GstObject* source) {
  if (source != GST_OBJECT(sink_) && source != GST_OBJECT(bin_)) return;  // the bin speaks for its sink
  {
    std::lock_guard lock(mutex_);
    eos_ = true;
  }
  cv_.notify_all();
}

void RecordingBranch::note_error() {
  {
    std::lock_guard lock(mutex_);
    failed_ = true;
  }
  cv_.notify_all();
}

void RecordingBranch::detach(const std::shared_ptr<Feed>& feed, std::chrono::milliseconds timeout) {
  if (!feed->tee_pad) return;
  auto ctx = std::make_shared<DetachCtx>();
  ctx->gate = std::shared_ptr<std::atomic<int>>(feed, &feed->gate);
  gst_pad_add_probe(feed->tee_pad, GST_PAD_PROBE_TYPE_IDLE, detach_when_idle, new std::shared_ptr<DetachCtx>(ctx),
                    [](gpointer p) { delete static_cast<std::shared_ptr<DetachCtx>*>(p); });
  std::unique_lock lock(ctx->m);
  ctx->cv.wait_for(lock, timeout, [&] { return ctx->done; });
}

CaptureStats RecordingBranch::finish(std::chrono::milliseconds timeout) {
  CaptureStats stats;
  if (finished_) return stats;
  for (auto& f : feeds_) detach(f, timeout);
  {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, timeout, [&] { return eos_ || failed_; });
  }
  stats.known = true;
  stats.frames_written = written_.load();
  if (videorate_) {
    guint64 dup = 0, drop = 0;
    g_object_get(videorate_, "duplicate", &dup, "drop", &drop, nullptr);
    stats.frames_filled = dup;
    stats.frames_dropped = drop;
  }
  const std::uint64_t in = entered_.load(), out = left_.load();
  if (in > out) stats.frames_dropped += in - out;
  tear_down();
  if (stats.frames_written > 0) {
    const auto length = default_recording_format().read_length(path_);
    if (length) stats.file_duration_s = length->header_seconds;
  }
  return stats;
}

void RecordingBranch::tear_down() {
  if (finished_) return;
  finished_ = true;
  for (auto& f : feeds_) {
    if (!f->tee_pad) continue;
    f->gate = kAfter;
    if (GstPad* peer = gst_pad_get_peer(f->tee_pad)) {
      gst_pad_unlink(f->tee_pad, peer);
      gst_object_unref(peer);
    }
    gst_element_release_request_pad(f->tee, f->tee_pad);
    gst_object_unref(f->tee_pad);
    f->tee_pad = nullptr;
  }
  if (bin_) {
    gst_element_set_state(bin_, GST_STATE_NULL);
    if (GST_OBJECT_PARENT(bin_)) gst_bin_remove(GST_BIN(pipeline_), bin_);
    gst_object_unref(bin_);
    bin_ = nullptr;
    sink_ = nullptr;
    videorate_ = nullptr;
  }
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace wellvue::gst
