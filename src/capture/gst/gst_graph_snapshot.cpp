// Snapshots of the GStreamer backend: the source's latest frame, kept before the tee at the
// camera's own size, encoded with its band and written as a new file, on the thread that saves it.
#include <sys/stat.h>

#include <cerrno>

#include "capture/gst/gst_graph_backend.h"
#include "capture/gst/snapshot_encoder.h"
#include "capture/new_file.h"
#include "util/cp1252.h"

namespace wellvue::gst {
namespace {

// One reference to a camera frame with its caps; the encoder's pipeline is its own, so a save may
// run on any thread, the owner's loop going on meanwhile.
class GstSnapshotPicture : public SnapshotPicture {
 public:
  explicit GstSnapshotPicture(GstSample* frame) : frame_(frame) {}
  ~GstSnapshotPicture() override { gst_sample_unref(frame_); }
  GstSnapshotPicture(const GstSnapshotPicture&) = delete;
  GstSnapshotPicture& operator=(const GstSnapshotPicture&) = delete;

  SnapshotResult save(const std::string& utf8_path, const std::vector<std::string>& band_lines) override {
    // A taken name is told before the encoding is spent on it.
    struct stat st {};
    if (::lstat(utf8_path.c_str(), &st) == 0) return snapshot_name_taken(utf8_path);
    EncodedSnapshot jpeg = encode_snapshot(frame_, band_lines);
    if (!jpeg.ok) return snapshot_encode_failed(utf8_to_cp1252(jpeg.error));
    const int err = write_new_file(utf8_path, jpeg.jpeg);
    if (err == EEXIST) return snapshot_name_taken(utf8_path);
    if (err != 0) return snapshot_write_failed(utf8_path, err);
    SnapshotResult r;
    r.status = SnapshotStatus::Saved;
    r.width = jpeg.width;
    r.height = jpeg.height;
    r.band_height = jpeg.band_height;
    return r;
  }

 private:
  GstSample* frame_;
};

}  // namespace

TakenSnapshot GstGraphBackend::take_snapshot() {
  if (!pipeline_ || !video_source_) return {nullptr, snapshot_no_picture()};
  // A frame older than the stall limit is not the camera's picture of now.
  GstSample* frame = latest_frame_->sample(options_.stall_limit);
  if (!frame) return {nullptr, snapshot_no_picture()};
  // A copy of the picture: a photo waiting for a slow disk must not hold one of the camera's own
  // buffers, of which a driver has only a few.
  GstBuffer* copy = gst_buffer_copy_deep(gst_sample_get_buffer(frame));
  GstSample* kept = copy ? gst_sample_new(copy, gst_sample_get_caps(frame), nullptr, nullptr) : nullptr;
  if (copy) gst_buffer_unref(copy);
  gst_sample_unref(frame);
  if (!kept) return {nullptr, snapshot_no_picture()};
  return {std::make_shared<GstSnapshotPicture>(kept), {}};
}

SnapshotResult GstGraphBackend::save_snapshot(const std::string& utf8_path,
                                              const std::vector<std::string>& band_lines) {
  const TakenSnapshot taken = take_snapshot();
  return taken.picture ? taken.picture->save(utf8_path, band_lines) : taken.failure;
}

}  // namespace wellvue::gst
