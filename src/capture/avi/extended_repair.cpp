#include "capture/avi/extended_repair.h"

#include "capture/avi/keyframe.h"
#include "capture/avi/movi_walk.h"
#include "capture/avi/repair_support.h"
#include "capture/avi/riff.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace wellvue::avi {

using namespace detail;

namespace {

constexpr std::uint32_t kNotKeyframe = 0x80000000u;  // standard index entry: delta frame

using Bytes = std::vector<std::uint8_t>;

struct StreamPart {
  std::vector<MoviChunk> chunks;
  std::uint64_t bytes = 0;
};

// One RIFF segment as it lies on disk.
struct Segment {
  std::uint64_t riff = 0;          // offset of "RIFF"
  std::uint64_t movi = 0;          // offset of the movi "LIST"
  std::vector<StreamPart> parts;   // per stream
  std::vector<MoviChunk> indexes;  // standard index chunks found in the movi list
  std::uint64_t chunks = 0;
  std::uint64_t data_end = 0;  // end of the last data chunk (and its pad byte if on disk)
  WalkResult walk;
};

// Where one stream's data of one segment is indexed: an entry of the super index.
struct IndexRef {
  std::uint64_t offset = 0;  // of the standard index chunk
  std::uint32_t size = 0;    // of that chunk, header included
  std::uint32_t duration = 0;
};

Segment scan_segment(ByteSource& src, std::uint64_t riff, std::uint64_t movi, std::size_t streams) {
  Segment s;
  s.riff = riff;
  s.movi = movi;
  s.parts.resize(streams);
  s.data_end = movi + 12;
  s.walk = walk_movi(
      src, movi + 12, static_cast<int>(streams),
      [&](const MoviChunk& c) {
        StreamPart& p = s.parts[static_cast<std::size_t>(c.stream)];
        p.chunks.push_back(c);
        p.bytes += c.size;
        ++s.chunks;
        s.data_end = std::min(padded(c.offset + 8 + c.size), src.size());  // pad byte when on disk
      },
      [&](const MoviChunk& c) { s.indexes.push_back(c); });
  return s;
}

bool is_avix_header(ByteSource& src, std::uint64_t pos) {
  std::uint8_t h[24];
  return src.read(pos, h, 24) && is(get_fourcc(h), "RIFF") && is(get_fourcc(h + 8), "AVIX") &&
         is(get_fourcc(h + 12), "LIST") && is(get_fourcc(h + 20), "movi");
}

std::uint32_t duration_of(const AviStream& s, const StreamPart& p) {
  return static_cast<std::uint32_t>(s.sample_size != 0 ? p.bytes / s.sample_size : p.chunks.size());
}

// An index chunk left by the muxer that lists exactly the chunks of this part.
bool index_matches(ByteSource& src, const MoviChunk& ix, const StreamPart& p) {
  const std::uint64_t n = p.chunks.size();
  if (ix.size < 24 + 8 * n) return false;
  Bytes b;
  if (!read_bytes(src, ix.offset + 8, ix.offset + 8 + 24 + 8 * n, b)) return false;
  if (get_u16(b.data()) != 2 || b[2] != 0 || b[3] != 1 || get_u32(b.data() + 4) != n ||
      get_fourcc(b.data() + 8) != p.chunks.front().id)
    return false;
  const std::uint64_t base = get_u32(b.data() + 12) | (static_cast<std::uint64_t>(get_u32(b.data() + 16)) << 32);
  for (std::uint64_t k = 0; k < n; ++k) {
    const std::uint8_t* e = b.data() + 24 + 8 * k;
    const MoviChunk& c = p.chunks[static_cast<std::size_t>(k)];
    if (base + get_u32(e) != c.offset + 8 || (get_u32(e + 4) & ~kNotKeyframe) != c.size) return false;
  }
  return true;
}

void put_u64(std::uint8_t* p, std::uint64_t v) {
  put_u32(p, static_cast<std::uint32_t>(v));
  put_u32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

// The standard index chunk ("ix00", ...) of one stream's chunks in one segment.
std::optional<Bytes> build_standard_index(ByteSource& src, const AviStream& s, int stream, std::uint64_t base,
                                          const StreamPart& p) {
  Bytes b(32 + 8 * p.chunks.size(), 0);
  b[0] = 'i';
  b[1] = 'x';
  b[2] = static_cast<std::uint8_t>('0' + stream / 10);
  b[3] = static_cast<std::uint8_t>('0' + stream % 10);
  put_u32(b.data() + 4, static_cast<std::uint32_t>(b.size() - 8));
  b[8] = 2;   // wLongsPerEntry; bIndexSubType 0
  b[11] = 1;  // bIndexType: index of chunks
  put_u32(b.data() + 12, static_cast<std::uint32_t>(p.chunks.size()));
  const FourCC& id = p.chunks.front().id;
  std::copy(id.begin(), id.end(), b.begin() + 16);
  put_u64(b.data() + 20, base);
  Bytes probe;
  std::uint8_t* e = b.data() + 32;
  for (const MoviChunk& c : p.chunks) {
    const std::uint64_t rel = c.offset + 8 - base;
    if (rel > 0xFFFFFFFFull || c.size >= kNotKeyframe) return std::nullopt;
    const std::size_t want = std::min<std::size_t>(keyframe_probe_size(s), c.size);
    probe.resize(want);
    if (want != 0 && !src.read(c.offset + 8, probe.data(), want)) return std::nullopt;
    put_u32(e, static_cast<std::uint32_t>(rel));
    put_u32(e + 4, c.size | (is_keyframe(s, probe.data(), probe.size(), c.size) ? 0 : kNotKeyframe));
    e += 8;
  }
  return b;
}

// The super index chunk ("indx") that takes the place of the stream's placeholder.
Bytes build_super_index(const AviStream& s, const FourCC& id, const std::vector<IndexRef>& refs) {
  Bytes b(8 + static_cast<std::size_t>(s.index_chunk_size), 0);
  b[0] = 'i';
  b[1] = 'n';
  b[2] = 'd';
  b[3] = 'x';
  put_u32(b.data() + 4, s.index_chunk_size);
  b[8] = 4;  // wLongsPerEntry; bIndexSubType 0, bIndexType 0: index of indexes
  put_u32(b.data() + 12, static_cast<std::uint32_t>(refs.size()));
  std::copy(id.begin(), id.end(), b.begin() + 16);
  std::uint8_t* e = b.data() + 32;
  for (const IndexRef& r : refs) {
    put_u64(e, r.offset);
    put_u32(e + 8, r.size);
    put_u32(e + 12, r.duration);
    e += 16;
  }
  return b;
}

// Whether the first segment's idx1 lists its chunks (ids, offsets, sizes; flags may differ).
bool idx1_matches(ByteSource& src, const AviInfo& info, const Bytes& built) {
  const std::uint64_t n = (built.size() - 8) / 16;
  if (info.idx1_entries != n) return false;
  Bytes on_disk;
  if (!read_bytes(src, info.idx1_offset + 8, info.idx1_offset + 8 + 16 * n, on_disk)) return false;
  const std::uint64_t movi_base = info.movi_list_offset + 8;
  for (std::uint64_t k = 0; k < n; ++k) {
    const std::uint8_t* d = on_disk.data() + 16 * k;
    const std::uint8_t* w = built.data() + 8 + 16 * k;
    const std::uint64_t off = get_u32(d + 8);
    const std::uint64_t want = get_u32(w + 8);
    if (get_fourcc(d) != get_fourcc(w) || get_u32(d + 12) != get_u32(w + 12) ||
        (off != want && off != want + movi_base))
      return false;
  }
  return true;
}

}  // namespace

RepairResult repair_extended(const std::string& path, const AviInfo& info, ByteSource& src) {
  const std::size_t nstreams = info.streams.size();
  if (!info.has_idx1 || !info.idx1_complete || info.first_extended_offset == 0)
    return failed("premier segment sans index idx1 complet avant les segments AVI \xE9tendus");

  // The segments as they lie on disk; trailing segments without data are cut.
  std::vector<Segment> segments;
  segments.push_back(scan_segment(src, 0, info.movi_list_offset, nstreams));
  if (segments.back().walk.stop != WalkStop::Idx1) return failed("fin du premier segment illisible");
  for (std::uint64_t pos = info.first_extended_offset; is_avix_header(src, pos);) {
    segments.push_back(scan_segment(src, pos, pos + 12, nstreams));
    if (segments.back().walk.stop != WalkStop::Riff) break;
    pos = segments.back().walk.end;
  }
  const std::uint64_t scanned_end = segments.back().walk.end;
  while (segments.size() > 1 && segments.back().chunks == 0) segments.pop_back();
  if (segments.size() < 2) return failed("segments AVI \xE9tendus vides");
  const std::size_t last = segments.size() - 1;

  // Everything after the last data chunk is index, padding or a partial chunk: rebuilt or cut.
  const std::uint64_t cut = segments[last].data_end;
  const std::uint64_t write_pos = padded(cut);
  const Tail tail = classify_tail(src, info, cut, scanned_end > cut ? scanned_end - cut : 0);
  if (tail == Tail::Unreadable)
    return failed(
        "donn\xE9"
        "es illisibles \xE0 l'octet " +
        number(std::max(cut, scanned_end)) + ", suivies de " +
        number(info.file_size - std::min(info.file_size, std::max(cut, scanned_end))) + " octets");

  // Standard indexes: the muxer's own where they list their segment exactly, else new ones
  // appended to the last segment (always for the last, whose indexes were never written).
  Bytes appended;
  if (write_pos != cut) appended.push_back(0);  // pad byte after an odd last chunk
  std::vector<std::vector<IndexRef>> refs(nstreams);
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const Segment& seg = segments[i];
    for (std::size_t k = 0; k < nstreams; ++k) {
      const StreamPart& p = seg.parts[k];
      if (p.chunks.empty()) continue;
      const AviStream& s = info.streams[k];
      IndexRef ref;
      ref.duration = duration_of(s, p);
      bool found = false;
      for (const MoviChunk& ix : seg.indexes)
        if (i != last && index_matches(src, ix, p)) {
          ref.offset = ix.offset;
          ref.size = 8 + ix.size;
          found = true;
          break;
        }
      if (!found) {
        const auto ix = build_standard_index(src, s, static_cast<int>(k), seg.riff, p);
        if (!ix) return failed("index OpenDML impossible \xE0 construire (segment " + number(i + 1) + ")");
        ref.offset = cut + appended.size();
        ref.size = static_cast<std::uint32_t>(ix->size());
        appended.insert(appended.end(), ix->begin(), ix->end());
      }
      refs[k].push_back(ref);
    }
  }
  const std::uint64_t new_size = cut + appended.size();
  if (new_size - segments[last].riff - 8 > kMaxRiff) return failed("dernier segment trop grand pour un AVI");

  std::vector<Bytes> super(nstreams);
  for (std::size_t k = 0; k < nstreams; ++k) {
    if (refs[k].empty()) continue;
    const AviStream& s = info.streams[k];
    if (s.index_chunk_offset == 0 || s.index_chunk_size < 24 + 16 * refs[k].size())
      return failed("pas de place pour l'index OpenDML du flux " + number(k));
    FourCC id{};
    for (const Segment& seg : segments)
      if (!seg.parts[k].chunks.empty()) {
        id = seg.parts[k].chunks.front().id;
        break;
      }
    super[k] = build_super_index(s, id, refs[k]);
  }

  // The first segment keeps the muxer's idx1 when it is right; a wrong one of the same
  // length is rewritten in place (nothing can move in front of the next segment).
  Bytes idx1;
  if (!build_idx1(src, info, idx1))
    return failed(
        "lecture des donn\xE9"
        "es impossible");
  const bool rewrite_idx1 = !idx1_matches(src, info, idx1);
  if (rewrite_idx1 && info.idx1_entries * 16ull + 8 != idx1.size())
    return failed("index idx1 du premier segment incoh\xE9rent");

  // Sizes and counts.
  std::uint64_t largest = 0;
  for (const AviStream& s : info.streams) largest = std::max<std::uint64_t>(largest, s.largest_chunk);
  std::uint64_t video_total = 0;
  std::uint64_t video_first = 0;
  std::vector<std::uint64_t> lengths(nstreams, 0);
  for (std::size_t i = 0; i < segments.size(); ++i)
    for (std::size_t k = 0; k < nstreams; ++k) {
      const StreamPart& p = segments[i].parts[k];
      lengths[k] += duration_of(info.streams[k], p);
      if (static_cast<int>(k) == info.video_stream) {
        video_total += p.chunks.size();
        if (i == 0) video_first += p.chunks.size();
      }
    }
  std::vector<Patch> patches;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const std::uint64_t end = i == last ? new_size : segments[i + 1].riff;
    if (end - segments[i].riff - 8 > kMaxRiff) return failed("segment RIFF trop grand (segment " + number(i + 1) + ")");
  }
  patches.push_back({4, static_cast<std::uint32_t>(info.first_extended_offset - 8)});
  patches.push_back(
      {info.movi_list_offset + 4, static_cast<std::uint32_t>(info.idx1_offset - info.movi_list_offset - 8)});
  for (std::size_t i = 1; i < segments.size(); ++i) {
    const std::uint64_t end = i == last ? new_size : segments[i + 1].riff;
    patches.push_back({segments[i].riff + 4, static_cast<std::uint32_t>(end - segments[i].riff - 8)});
    patches.push_back({segments[i].movi + 4, static_cast<std::uint32_t>(end - segments[i].movi - 8)});
  }
  // avih counts the frames of the first segment, dmlh those of the whole file.
  patches.push_back({info.avih_offset + 12, info.avih_flags | kAvifHasIndex});
  patches.push_back({info.avih_offset + 16, static_cast<std::uint32_t>(video_first)});
  if (info.suggested_buffer_size == 0) patches.push_back({info.avih_offset + 28, static_cast<std::uint32_t>(largest)});
  for (std::size_t k = 0; k < nstreams; ++k) {
    const AviStream& s = info.streams[k];
    if (lengths[k] > 0xFFFFFFFFull) return failed("flux trop long pour un en-t\xEAte AVI");
    patches.push_back({s.strh_offset + 32, static_cast<std::uint32_t>(lengths[k])});
    if (s.suggested_buffer_size == 0) patches.push_back({s.strh_offset + 36, s.largest_chunk});
  }
  if (info.dmlh_total_frames) patches.push_back({info.dmlh_offset, static_cast<std::uint32_t>(video_total)});

  // Keep what we overwrite or cut, so that a failed write leaves the file as it was.
  Restorer restorer(path, info.file_size);
  bool kept = restorer.keep(src, 0, info.movi_list_offset + 12);
  for (std::size_t i = 1; i < segments.size(); ++i)
    kept = kept && restorer.keep(src, segments[i].riff, segments[i].riff + 24);
  if (rewrite_idx1) kept = kept && restorer.keep(src, info.idx1_offset, info.idx1_offset + idx1.size());
  const std::uint64_t tail_from = std::min(cut, info.file_size);
  const std::uint64_t saved_end = tail == Tail::Small ? info.file_size : std::min(info.file_size, new_size);
  kept = kept && restorer.keep(src, tail_from, std::max(tail_from, saved_end));
  if (!kept) return failed("lecture du fichier impossible");

  const auto write_failed = [&]() {
    restorer.restore();
    return failed(
        "\xE9"
        "criture dans le fichier impossible");
  };
  // Indexes first: until the headers are patched the file stays a crashed recording that
  // this routine can take up again.
  if (!write_at(path, cut, appended)) return write_failed();
  std::error_code ec;
  if (info.file_size > new_size) std::filesystem::resize_file(path, new_size, ec);
  if (ec) return write_failed();
  if (rewrite_idx1 && !write_at(path, info.idx1_offset, idx1)) return write_failed();
  for (std::size_t k = 0; k < nstreams; ++k)
    if (!super[k].empty() && !write_at(path, info.streams[k].index_chunk_offset, super[k])) return write_failed();
  if (!write_patches(path, patches)) return write_failed();

  // Read back: finalised, every chunk found, every stream's segments in its super index.
  const AviReadResult check = read_avi_file(path);
  bool ok = check.info && check.info->finalised && check.info->video_chunks() == video_total &&
            check.info->riff_segments == static_cast<int>(segments.size()) && check.info->streams.size() == nstreams;
  for (std::size_t k = 0; ok && k < nstreams; ++k)
    ok = check.info->streams[k].super_index_entries == refs[k].size() && check.info->streams[k].length == lengths[k];
  if (!ok) return write_failed();
  return repaired(video_total, info.file_size > cut ? info.file_size - cut : 0, check.info->video_duration_seconds());
}

}  // namespace wellvue::avi
