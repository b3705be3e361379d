// A snapshot of the camera: the latest frame at the source's own size saved as a JPEG with a band
// of text lines under the picture. What a save gives back, the band's size rule and the texts.
#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace wellvue {

enum class SnapshotStatus {
  Saved,
  NoPicture,     // no recent frame from the camera (not started, nothing arrived yet, stalled)
  NotSupported,  // the backend cannot take snapshots
  NameTaken,     // something (a file, a link, a folder) already has the name: pick another one
  WriteFailed,   // the file could not be written; `error` is the errno
  EncodeFailed,  // the picture could not be turned into a JPEG
};

struct SnapshotResult {
  SnapshotStatus status = SnapshotStatus::NotSupported;
  int error = 0;        // errno of a failed write (WriteFailed, NameTaken)
  std::string message;  // for the operator, French, CP1252; empty when saved
  int width = 0;        // of the JPEG written: the picture's width
  int height = 0;       // the picture's height plus band_height
  int band_height = 0;
  bool ok() const { return status == SnapshotStatus::Saved; }
};

// The band under a picture of width x height carrying `lines` lines of text: the text's size in
// pixels, the margin around it and the band's height (even, for 4:2:0 pictures). No lines, no band.
struct SnapshotBand {
  int font_px = 0;
  int line_px = 0;
  int margin_px = 0;
  int height = 0;
};
SnapshotBand snapshot_band(int width, int height, std::size_t lines);

// A camera picture taken for a snapshot: it holds the frame, not the camera, so that the slow part
// (the encoding and the write to the disk) can run later on any thread. Each save is a new file
// and never replaces an existing name (NameTaken: the caller picks another one).
class SnapshotPicture {
 public:
  virtual ~SnapshotPicture() = default;
  virtual SnapshotResult save(const std::string& utf8_path, const std::vector<std::string>& band_lines) = 0;
};

// The latest picture of the camera, or why there is none (`picture` null, `failure` says why).
struct TakenSnapshot {
  std::shared_ptr<SnapshotPicture> picture;
  SnapshotResult failure;
};

// Failure results with their texts (`utf8_path` is shown in CP1252).
SnapshotResult snapshot_no_picture();
SnapshotResult snapshot_not_supported();
SnapshotResult snapshot_name_taken(const std::string& utf8_path);
SnapshotResult snapshot_write_failed(const std::string& utf8_path, int error);
SnapshotResult snapshot_encode_failed(const std::string& platform_words);

}  // namespace wellvue
