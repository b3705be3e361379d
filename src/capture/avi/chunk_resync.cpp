#include "capture/avi/chunk_resync.h"

#include "capture/avi/movi_walk.h"
#include "capture/avi/repair_support.h"
#include "capture/avi/riff.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace wellvue::avi {

namespace {

// Larger than any frame the station records (a raw 4K picture is about 33 MB): a bigger size
// is damage, not data.
constexpr std::uint64_t kMaxChunk = 64ull * 1024 * 1024;
constexpr std::size_t kMaxFixes = 10000;
constexpr std::size_t kScanBlock = 1024 * 1024;

bool is_digit(std::uint8_t c) { return c >= '0' && c <= '9'; }

// "##dc", "##db", "##wb" or "##pc" of a stream the header declares.
bool is_data_code(const std::uint8_t* p, int streams) {
  if (!is_digit(p[0]) || !is_digit(p[1])) return false;
  if ((p[0] - '0') * 10 + (p[1] - '0') >= streams) return false;
  return (p[2] == 'd' && (p[3] == 'c' || p[3] == 'b')) || (p[2] == 'w' && p[3] == 'b') || (p[2] == 'p' && p[3] == 'c');
}

// What may follow a data chunk besides another one.
bool is_follower(const std::uint8_t* p) {
  const FourCC id = get_fourcc(p);
  return is(id, "idx1") || is(id, "RIFF") || is(id, "JUNK") || is(id, "LIST") || (p[0] == 'i' && p[1] == 'x');
}

// A data chunk at q that fits in the file and is followed by another chunk (possibly the
// one the crash cut), an index, the next segment or the end of the file.
bool valid_chunk_at(ByteSource& src, std::uint64_t q, int streams) {
  std::uint8_t h[8];
  if (!src.read(q, h, 8) || !is_data_code(h, streams)) return false;
  const std::uint32_t size = get_u32(h + 4);
  const std::uint64_t end = q + 8 + size;
  if (size > kMaxChunk || end > src.size()) return false;
  const std::uint64_t next = std::min(padded(end), src.size());
  if (src.size() - next < 8) return true;
  std::uint8_t n[8];
  return src.read(next, n, 8) && (is_data_code(n, streams) || is_follower(n));
}

// The first valid data chunk at or after `from` on the word alignment of `base`.
std::optional<std::uint64_t> next_valid_chunk(ByteSource& src, std::uint64_t from, std::uint64_t base, int streams) {
  if ((from - base) & 1u) ++from;
  std::vector<std::uint8_t> buf;
  while (from + 8 <= src.size()) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kScanBlock, src.size() - from));
    buf.resize(n);
    if (!src.read(from, buf.data(), n)) return std::nullopt;
    for (std::size_t i = 0; i + 4 <= n; i += 2)
      if (is_data_code(buf.data() + i, streams) && valid_chunk_at(src, from + i, streams)) return from + i;
    from += n - (n > 4 ? 4 : 0);  // a code cut by the block end is read again whole
    if (n <= 4) break;
  }
  return std::nullopt;
}

HeaderFix u32_fix(std::uint64_t offset, std::uint32_t value) {
  HeaderFix f{offset, std::vector<std::uint8_t>(4)};
  put_u32(f.bytes.data(), value);
  return f;
}

HeaderFix junk_fix(std::uint64_t offset, std::uint32_t size) {
  HeaderFix f{offset, {'J', 'U', 'N', 'K', 0, 0, 0, 0}};
  put_u32(f.bytes.data() + 4, size);
  return f;
}

}  // namespace

bool FixedSource::read(std::uint64_t offset, void* out, std::size_t n) {
  if (!base_.read(offset, out, n)) return false;
  auto* bytes = static_cast<std::uint8_t*>(out);
  for (const HeaderFix& f : fixes_) {
    const std::uint64_t from = std::max(offset, f.offset);
    const std::uint64_t to = std::min(offset + n, f.offset + f.bytes.size());
    if (from < to)
      std::memcpy(bytes + (from - offset), f.bytes.data() + (from - f.offset), static_cast<std::size_t>(to - from));
  }
  return true;
}

std::vector<HeaderFix> find_header_fixes(ByteSource& raw, const AviInfo& info) {
  std::vector<HeaderFix> fixes;
  FixedSource src(raw, fixes);  // later walks see the fixes found so far
  const int streams = static_cast<int>(info.streams.size());
  const std::uint64_t base = info.movi_list_offset + 12;
  std::uint64_t from = base;
  // Largest chunk per stream, the one just walked left out (its own size may be the damage).
  std::vector<std::uint32_t> largest(info.streams.size(), 0);
  while (fixes.size() < kMaxFixes) {
    std::optional<MoviChunk> prev;
    const WalkResult w = walk_movi(src, from, streams, [&](const MoviChunk& c) {
      if (prev)
        largest[static_cast<std::size_t>(prev->stream)] =
            std::max(largest[static_cast<std::size_t>(prev->stream)], prev->size);
      prev = c;
    });
    if (w.stop != WalkStop::Partial && w.stop != WalkStop::Unknown) break;
    const std::uint64_t at = w.end;  // where the walk could not go on
    if (src.size() - at < 8 || detail::all_zero(src, at, src.size())) break;
    std::uint8_t h[8];
    if (!src.read(at, h, 8)) break;
    // The chunk just before, when it ends right here (not inside a `rec ` list).
    const bool prev_whole = prev && std::min(padded(prev->offset + 8 + prev->size), src.size()) == at;

    std::optional<std::uint64_t> q;
    if (w.stop == WalkStop::Partial) {
      // A data chunk whose size runs past the end: the crash tail, or a damaged size when
      // valid chunks follow inside it.
      if (!is_data_code(h, streams)) break;
      q = next_valid_chunk(src, at + 8, base, streams);
      if (!q || ((*q - at) & 1u)) break;  // a size must end on the next chunk exactly
      fixes.push_back(u32_fix(at + 4, static_cast<std::uint32_t>(*q - at - 8)));
    } else {
      // Bytes that are no chunk: a damaged header here, or a chunk before whose size
      // overshoots (the next valid chunk then lies inside it).
      q = next_valid_chunk(src, prev_whole ? prev->offset + 8 : at + 8, base, streams);
      if (!q) break;
      const std::uint32_t size = get_u32(h + 4);
      const bool size_intact = at + 8 + padded(size) == *q;
      // A chunk before that reaches the next valid one at a size its stream has had: its
      // size was damaged smaller, rather than the header here.
      const bool prev_cut_short = prev_whole && !size_intact && ((*q - prev->offset) & 1u) == 0 &&
                                  *q - prev->offset - 8 <= largest[static_cast<std::size_t>(prev->stream)];
      if (*q >= at + 8 && ((*q - at) & 1u) == 0 && !prev_cut_short) {
        std::uint8_t next_h[8];
        if (!src.read(*q, next_h, 8)) break;
        const std::uint64_t stretch = *q - at - 8;
        // As large as a frame of this recording may be: the largest seen, or twice the next
        // one's when none was seen yet (the first header damaged).
        const std::uint64_t frame_size = std::max<std::uint64_t>(largest[0], 2ull * get_u32(next_h + 4));
        if (streams == 1 && (size_intact || stretch <= frame_size)) {
          // One stream only: the stretch is the data of a chunk whose header alone is
          // damaged; it gets its code (and its size) back, and the frame is kept.
          HeaderFix f{at, std::vector<std::uint8_t>(8)};
          if (prev) std::copy(prev->id.begin(), prev->id.end(), f.bytes.begin());
          else std::copy(next_h, next_h + 4, f.bytes.begin());
          put_u32(f.bytes.data() + 4, size_intact ? size : static_cast<std::uint32_t>(stretch));
          fixes.push_back(std::move(f));
        } else {
          fixes.push_back(junk_fix(at, static_cast<std::uint32_t>(stretch)));
        }
      } else if (prev_whole && ((*q - prev->offset) & 1u) == 0) {
        fixes.push_back(u32_fix(prev->offset + 4, static_cast<std::uint32_t>(*q - prev->offset - 8)));
      } else {
        break;
      }
    }
    from = *q;
  }
  return fixes;
}

}  // namespace wellvue::avi
