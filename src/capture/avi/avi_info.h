// What an AVI file says about itself (headers) and what it really holds (chunks on disk),
// read without trusting any size: the basis for checking a recording and for repairing it.
#pragma once

#include "capture/avi/byte_source.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wellvue::avi {

inline constexpr std::uint32_t kAvifHasIndex = 0x10;   // avih.dwFlags: idx1 present
inline constexpr std::uint32_t kAviifKeyframe = 0x10;  // idx1 entry flag

struct AviStream {
  std::string type;               // fccType: "vids", "auds", "txts", ...
  std::string handler;            // fccHandler, e.g. "MJPG"
  std::uint32_t compression = 0;  // strf: biCompression (video) or wFormatTag (audio)
  std::uint32_t flags = 0;
  std::uint32_t initial_frames = 0;
  std::uint32_t scale = 0;
  std::uint32_t rate = 0;
  std::uint32_t start = 0;
  std::uint32_t length = 0;
  std::uint32_t suggested_buffer_size = 0;
  std::uint32_t sample_size = 0;
  std::uint64_t strh_offset = 0;  // file offset of the strh payload

  // The OpenDML super index chunk of this stream ("indx"), or the "JUNK" chunk a muxer keeps
  // in its place until it closes the file: where a repair writes the super index.
  std::uint64_t index_chunk_offset = 0;   // file offset of the chunk header, 0 when none
  std::uint32_t index_chunk_size = 0;     // payload size
  bool has_super_index = false;           // an "indx" of indexes is there
  std::uint32_t super_index_entries = 0;  // entries in use (bounded by the chunk size)

  // Found in movi (all RIFF segments).
  std::uint64_t chunks = 0;
  std::uint64_t bytes = 0;
  std::uint32_t largest_chunk = 0;

  bool is_video() const { return type == "vids"; }
  // The strh.dwLength that matches the chunks on disk.
  std::uint64_t length_on_disk() const { return sample_size != 0 ? bytes / sample_size : chunks; }
};

struct AviInfo {
  std::uint64_t file_size = 0;
  std::uint32_t riff_size = 0;

  // avih
  std::uint64_t avih_offset = 0;  // file offset of the avih payload
  std::uint32_t micro_sec_per_frame = 0;
  std::uint32_t avih_flags = 0;
  std::uint32_t total_frames = 0;
  std::uint32_t stream_count = 0;  // as declared in avih
  std::uint32_t suggested_buffer_size = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;

  // OpenDML extended header
  std::optional<std::uint32_t> dmlh_total_frames;
  std::uint64_t dmlh_offset = 0;  // file offset of the dmlh payload

  std::vector<AviStream> streams;
  int video_stream = -1;  // index of the first video stream

  // First (or only) RIFF segment's movi list
  std::uint64_t movi_list_offset = 0;  // offset of "LIST"
  std::uint32_t movi_list_size = 0;    // as declared
  std::uint64_t movi_data_end = 0;     // end of the last complete chunk
  bool movi_tail_is_partial = false;   // a chunk cut short, or bytes that are no chunk, follow

  bool has_idx1 = false;
  std::uint64_t idx1_offset = 0;
  std::uint32_t idx1_entries = 0;
  bool idx1_complete = false;

  int riff_segments = 1;                    // more than one: OpenDML "AVIX" segments follow
  std::uint64_t first_extended_offset = 0;  // "RIFF" of the first AVIX segment
  bool extended_sizes_ok = true;            // every AVIX segment's RIFF and movi sizes match its chunks
  std::uint64_t chunks_in_first_segment = 0;

  // Sizes and counts filled in, idx1 present: what a cleanly closed muxer leaves.
  bool finalised = false;

  std::uint64_t video_chunks() const;
  // Frames the headers announce for the video stream (dmlh when it says more).
  std::uint64_t declared_video_frames() const;
  // Duration of the video stream from its header: frames x dwScale / dwRate, in seconds.
  double video_duration_seconds() const;
};

struct AviReadResult {
  std::optional<AviInfo> info;
  std::string error;  // CP1252 text when info is empty
};

AviReadResult read_avi(ByteSource& src);
AviReadResult read_avi_file(const std::string& path);

}  // namespace wellvue::avi
