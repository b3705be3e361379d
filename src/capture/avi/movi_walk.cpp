#include "capture/avi/movi_walk.h"

namespace wellvue::avi {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_alnum(char c) { return is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool is_odml_index(const FourCC& id) { return id[0] == 'i' && id[1] == 'x' && is_alnum(id[2]) && is_alnum(id[3]); }

// Walks [begin, limit); a nested `rec ` list is walked with its own limit.
WalkResult walk(ByteSource& src, std::uint64_t begin, std::uint64_t limit, int stream_count, bool nested,
                const std::function<void(const MoviChunk&)>& on_chunk,
                const std::function<void(const MoviChunk&)>& on_index) {
  WalkResult r{begin, WalkStop::EndOfFile};
  std::uint64_t pos = begin;
  while (pos < limit) {
    if (limit - pos < 8) {
      r.stop = WalkStop::Partial;
      return r;
    }
    std::uint8_t h[12];
    if (!src.read(pos, h, 8)) {
      r.stop = WalkStop::Partial;
      return r;
    }
    const FourCC id = get_fourcc(h);
    const std::uint32_t size = get_u32(h + 4);
    const int stream = chunk_stream(id, stream_count);
    if (!nested && is(id, "idx1")) {
      r.stop = WalkStop::Idx1;
      return r;
    }
    if (!nested && is(id, "RIFF")) {
      r.stop = WalkStop::Riff;
      return r;
    }
    const bool is_list = is(id, "LIST");
    if (stream < 0 && !is_odml_index(id) && !is(id, "JUNK") && !is_list) {
      r.stop = WalkStop::Unknown;
      return r;
    }
    const std::uint64_t data_end = pos + 8 + static_cast<std::uint64_t>(size);
    if (data_end > limit) {
      r.stop = WalkStop::Partial;
      return r;
    }
    if (is_list) {
      if (nested || size < 4 || !src.read(pos + 8, h + 8, 4) || !is(get_fourcc(h + 8), "rec ")) {
        r.stop = WalkStop::Unknown;
        return r;
      }
      const WalkResult inner = walk(src, pos + 12, data_end, stream_count, true, on_chunk, {});
      if (inner.stop != WalkStop::EndOfFile) {
        r.stop = WalkStop::Unknown;
        return r;
      }
    } else if (stream >= 0) {
      on_chunk(MoviChunk{id, pos, size, stream});
    } else if (on_index && !nested && is_odml_index(id)) {
      on_index(MoviChunk{id, pos, size, -1});
    }
    pos = (size & 1u) && data_end < limit ? data_end + 1 : data_end;
    r.end = pos;
  }
  return r;
}

}  // namespace

int chunk_stream(const FourCC& id, int stream_count) {
  if (!is_digit(id[0]) || !is_digit(id[1]) || !is_alnum(id[2]) || !is_alnum(id[3])) return -1;
  const int n = (id[0] - '0') * 10 + (id[1] - '0');
  return n < stream_count ? n : -1;
}

WalkResult walk_movi(ByteSource& src, std::uint64_t begin, int stream_count,
                     const std::function<void(const MoviChunk&)>& on_chunk,
                     const std::function<void(const MoviChunk&)>& on_index) {
  return walk(src, begin, src.size(), stream_count, false, on_chunk, on_index);
}

}  // namespace wellvue::avi
