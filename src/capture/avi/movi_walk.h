// Walks the data chunks of a `movi` list as they lie on disk, trusting no size written in
// the headers: used to count what a recording really holds and to rebuild its index.
#pragma once

#include "capture/avi/byte_source.h"
#include "capture/avi/riff.h"

#include <cstdint>
#include <functional>

namespace wellvue::avi {

struct MoviChunk {
  FourCC id{};
  std::uint64_t offset = 0;  // file offset of the chunk header
  std::uint32_t size = 0;    // payload size, without the pad byte
  int stream = -1;           // stream number of a data chunk
};

enum class WalkStop {
  EndOfFile,  // the last chunk ends exactly at the end of the file
  Idx1,       // an `idx1` chunk follows the data
  Riff,       // a further RIFF segment follows (OpenDML)
  Partial,    // a chunk that is cut short by the end of the file
  Unknown,    // bytes that are no chunk of a `movi` list (garbage, zeros)
};

struct WalkResult {
  std::uint64_t end = 0;  // offset just past the last complete chunk (past its pad byte if on disk)
  WalkStop stop = WalkStop::EndOfFile;
};

// Parses "00dc", "01wb", ...: the stream number when it is below stream_count, else -1.
int chunk_stream(const FourCC& id, int stream_count);

// Calls on_chunk for every complete data chunk from begin on, descending into `rec ` lists,
// and on_index (when given) for every complete OpenDML standard index chunk ("ix00", ...).
WalkResult walk_movi(ByteSource& src, std::uint64_t begin, int stream_count,
                     const std::function<void(const MoviChunk&)>& on_chunk,
                     const std::function<void(const MoviChunk&)>& on_index = {});

}  // namespace wellvue::avi
