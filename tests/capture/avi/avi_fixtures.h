// Real AVI files for the tests: written by GStreamer's avimux, killed mid-recording, or put
// into the state a crash leaves; and GStreamer's own reading of a file to check the result.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace wellvue::avi::test {

using Bytes = std::vector<std::uint8_t>;

Bytes read_bytes(const std::filesystem::path& p);
void write_bytes(const std::filesystem::path& p, const Bytes& b);

// A fresh empty directory under the system temporary folder.
std::filesystem::path make_temp_dir(const std::string& name);

// Writes a finalised MJPEG AVI of `frames` frames at 25 fps (with an audio stream if asked).
bool gst_write_avi(const std::filesystem::path& p, int frames, bool audio);

// Records from live test sources and kills gst-launch with SIGKILL once the file holds at
// least min_bytes: the state a crash or power cut leaves.
bool gst_record_and_kill(const std::filesystem::path& p, std::uint64_t min_bytes, bool audio);

// Turns a finalised avimux file into what avimux leaves after a SIGKILL: sizes and counts
// zero, no idx1. Returns the offset where idx1 was (end of the movi data).
std::uint64_t unfinalise(Bytes& b);

struct IndexEntry {
  std::string id;
  std::uint64_t offset;  // file offset of the chunk header
  std::uint32_t size;
};

// The entries of a finalised file's idx1 (absolute or movi-relative offsets).
std::vector<IndexEntry> index_entries(const Bytes& b);

// What avimux leaves when killed after it began extended (OpenDML "AVIX") segments, built from
// the chunks of a finalised avimux file: closed segments end with their standard indexes
// ("ix00", ...; the first also with idx1), counts and sizes in the header are zero, the super
// indexes are still JUNK, the last segment has no index and placeholder sizes.
// split: how many chunks (of all streams, in file order) each closed segment holds; the rest
// goes to the open last segment.
struct Segmented {
  Bytes bytes;
  std::vector<std::uint64_t> segment_offsets;  // "RIFF" of each segment (0 for the first)
  std::vector<std::uint64_t> index_offsets;    // every standard index chunk written
  std::vector<IndexEntry> chunks;              // every data chunk, where it now lies
  std::vector<std::uint64_t> data_ends;        // per segment: end of its last data chunk
  std::uint64_t idx1_offset = 0;
  std::uint64_t video_frames = 0;
  std::uint64_t video_in_first = 0;
};
Segmented make_segmented(const Bytes& finalised, const std::vector<std::size_t>& split);

struct Readback {
  bool ok = false;                           // EOS reached, no error
  int frames = 0;                            // decoded video frames
  std::optional<std::uint64_t> duration_ns;  // the demuxer's segment duration
};

// Decodes the whole video stream with avidemux ! decoder and counts what comes out.
Readback gst_read_back(const std::filesystem::path& p, bool audio, const std::string& decoder = "jpegdec");

// Records large raw frames (1920x1080 I420, 25 fps, with PCM audio) as fast as the disk takes
// them and kills gst-launch with SIGKILL once the file holds at least min_bytes.
bool gst_record_big_and_kill(const std::filesystem::path& p, std::uint64_t min_bytes);

// Video frames ffmpeg decodes from the file: a reader independent of GStreamer and of ours.
// -1 when ffprobe cannot run.
int ffmpeg_frames(const std::filesystem::path& p);

// A tmpfs of `megabytes` on a fresh folder (a disk that fills up for real), unmounted and
// removed at the end. Mounting needs root: mounted() says whether it worked.
class SmallDisk {
 public:
  explicit SmallDisk(int megabytes);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const { return mounted_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  bool mounted_ = false;
};

}  // namespace wellvue::avi::test
