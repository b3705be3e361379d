// One recording: a bin (queue, frame-rate keeper, optional decoder and encoder, AVI muxer, file
// writer) added to the running pipeline and fed from request pads of the tees. A gate on each tee
// pad holds the branch (the file receives nothing) or lets frames through; finishing sends EOS
// into the branch only, waits until the muxer has closed the file, and takes the bin away while
// the preview goes on.
#pragma once
#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "capture/graph_backend.h"
#include "capture/gst/compressor_catalog.h"

namespace wellvue::gst {

struct RecordingPlan {
  std::string path;
  GstElement* video_tee = nullptr;  // tee to take the video from
  std::string video_media_type;     // "video/x-raw", "image/jpeg", "video/x-dv"
  std::shared_ptr<const Compressor> video_encoder;
  std::string video_settings;
  GstElement* audio_tee = nullptr;  // null: no sound in the file
  std::shared_ptr<const Compressor> audio_encoder;
  std::string audio_settings;
};

class RecordingBranch {
 public:
  // Builds the branch into the pipeline and starts it (held or flowing). The file is created new
  // (never over an existing name, never through a link) and written through its descriptor, so
  // the muxer can go back to rewrite its headers. Null with the reason when an element is
  // missing, a link fails or the file cannot be created (then `open_error` is its errno);
  // nothing is left behind.
  static std::unique_ptr<RecordingBranch> start(GstElement* pipeline, const RecordingPlan& plan, bool held,
                                                std::string& why, int& open_error);
  ~RecordingBranch();
  RecordingBranch(const RecordingBranch&) = delete;
  RecordingBranch& operator=(const RecordingBranch&) = delete;

  void set_held(bool held);
  bool held() const;
  // Whether a bus message's source is inside this branch.
  bool contains(GstObject* object) const;
  // Bus thread: the file writer reached the end of its stream.
  void note_eos(GstObject* source);
  // Bus thread: an element of the branch failed; finishing then waits for no end of stream.
  void note_error();
  // Ends the file properly and removes the branch. Waits at most `timeout` for the muxer.
  CaptureStats finish(std::chrono::milliseconds timeout);
  const std::string& path() const { return path_; }
  // Monotonic (steady_clock) capture time of the first video frame let through; 0 before it.
  std::int64_t first_frame_ns() const { return feeds_.empty() ? 0 : feeds_.front()->first_ns.load(); }

 private:
  enum Gate : int { kHeld, kFlowing, kAfter };
  struct Feed {
    GstElement* tee = nullptr;
    GstPad* tee_pad = nullptr;  // request pad, owned
    std::atomic<int> gate{kHeld};
    std::atomic<std::int64_t> first_ns{0};
  };
  RecordingBranch() = default;
  static GstPadProbeReturn gate_probe(GstPad*, GstPadProbeInfo*, gpointer feed);
  void detach(const std::shared_ptr<Feed>& feed, std::chrono::milliseconds timeout);
  void tear_down();

  GstElement* pipeline_ = nullptr;  // not owned
  GstElement* bin_ = nullptr;       // owned reference
  GstElement* sink_ = nullptr;      // the file writer, inside bin_
  int fd_ = -1;                     // the file, owned
  GstElement* videorate_ = nullptr;
  std::vector<std::shared_ptr<Feed>> feeds_;  // also held by their pad probes
  std::string path_;
  std::atomic<std::uint64_t> written_{0}, entered_{0}, left_{0};

  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool eos_ = false;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace wellvue::gst
