// Snapshots of the GStreamer backend: the source's latest frame, kept before the tee at the
// camera's own size, encoded with its band and written as a new file.
#include <sys/stat.h>

#include <cerrno>

#include "capture/gst/gst_graph_backend.h"
#include "capture/gst/snapshot_encoder.h"
#include "capture/new_file.h"
#include "util/cp1252.h"

namespace wellvue::gst {

SnapshotResult GstGraphBackend::save_snapshot(const std::string& utf8_path,
                                              const std::vector<std::string>& band_lines) {
  if (!pipeline_ || !video_source_) return snapshot_no_picture();
  // A frame older than the stall limit is not the camera's picture of now.
  GstSample* frame = latest_frame_->sample(options_.stall_limit);
  if (!frame) return snapshot_no_picture();
  // A taken name is told before the encoding is spent on it.
  struct stat st {};
  if (::lstat(utf8_path.c_str(), &st) == 0) {
    gst_sample_unref(frame);
    return snapshot_name_taken(utf8_path);
  }
  EncodedSnapshot jpeg = encode_snapshot(frame, band_lines);
  gst_sample_unref(frame);
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

}  // namespace wellvue::gst
