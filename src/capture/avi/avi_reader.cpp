#include "capture/avi/avi_info.h"
#include "capture/avi/movi_walk.h"
#include "capture/avi/riff.h"

#include <algorithm>

namespace wellvue::avi {

namespace {

// CP1252 texts.
constexpr const char* kUnreadable = "Fichier introuvable ou illisible";
constexpr const char* kTooShort = "Fichier trop court pour un AVI";
constexpr const char* kNotAvi = "Ce n'est pas un fichier AVI (en-t\xEAte RIFF AVI absent)";
constexpr const char* kTruncatedHeader = "En-t\xEAte AVI tronqu\xE9 ou illisible";
constexpr const char* kNoAvih = "En-t\xEAte principal AVI (avih) absent";
constexpr const char* kNoStream =
    "Aucun flux d\xE9"
    "crit dans l'en-t\xEAte AVI";
constexpr const char* kNoMovi =
    "Liste des donn\xE9"
    "es (movi) absente";

constexpr std::uint32_t kAvihMin = 40;
constexpr std::uint32_t kStrhMin = 48;

struct Chunk {
  FourCC id{};
  std::uint32_t size = 0;
  FourCC list_type{};  // for LIST chunks
};

bool read_chunk(ByteSource& src, std::uint64_t pos, std::uint64_t limit, Chunk& c) {
  if (pos > limit || limit - pos < 8) return false;
  std::uint8_t h[12];
  if (!src.read(pos, h, 8)) return false;
  c.id = get_fourcc(h);
  c.size = get_u32(h + 4);
  if (is(c.id, "LIST")) {
    if (c.size < 4 || limit - pos < 12 || !src.read(pos + 8, h + 8, 4)) return false;
    c.list_type = get_fourcc(h + 8);
  }
  return true;
}

bool chunk_fits(std::uint64_t pos, const Chunk& c, std::uint64_t limit) {
  return pos + 8 + static_cast<std::uint64_t>(c.size) <= limit;
}

bool parse_strl(ByteSource& src, std::uint64_t pos, std::uint64_t end, AviStream& s, bool& has_strh) {
  while (pos + 8 <= end) {
    Chunk c;
    if (!read_chunk(src, pos, end, c) || !chunk_fits(pos, c, end)) return false;
    if (is(c.id, "strh")) {
      if (c.size < kStrhMin) return false;
      std::uint8_t b[kStrhMin];
      if (!src.read(pos + 8, b, sizeof b)) return false;
      s.type = fourcc_text(get_fourcc(b));
      s.handler = fourcc_text(get_fourcc(b + 4));
      s.flags = get_u32(b + 8);
      s.initial_frames = get_u32(b + 16);
      s.scale = get_u32(b + 20);
      s.rate = get_u32(b + 24);
      s.start = get_u32(b + 28);
      s.length = get_u32(b + 32);
      s.suggested_buffer_size = get_u32(b + 36);
      s.sample_size = get_u32(b + 44);
      s.strh_offset = pos + 8;
      has_strh = true;
    } else if ((is(c.id, "indx") || is(c.id, "JUNK")) && s.index_chunk_offset == 0) {
      s.index_chunk_offset = pos;
      s.index_chunk_size = c.size;
      std::uint8_t b[8];
      // wLongsPerEntry 4, bIndexType 0 (index of indexes), nEntriesInUse
      if (is(c.id, "indx") && c.size >= 24 && src.read(pos + 8, b, 8) && get_u16(b) == 4 && b[3] == 0) {
        s.has_super_index = true;
        s.super_index_entries = std::min<std::uint32_t>(get_u32(b + 4), (c.size - 24) / 16);
      }
    } else if (is(c.id, "strf") && has_strh) {
      std::uint8_t b[20];
      if (s.type == "vids" && c.size >= 20 && src.read(pos + 8, b, 20)) s.compression = get_u32(b + 16);
      if (s.type == "auds" && c.size >= 2 && src.read(pos + 8, b, 2)) s.compression = get_u16(b);
    }
    pos += padded(8 + static_cast<std::uint64_t>(c.size));
  }
  return true;
}

// Reads avih, the strl lists and odml/dmlh inside hdrl = [pos, end).
bool parse_hdrl(ByteSource& src, std::uint64_t pos, std::uint64_t end, AviInfo& info, bool& has_avih) {
  while (pos + 8 <= end) {
    Chunk c;
    if (!read_chunk(src, pos, end, c) || !chunk_fits(pos, c, end)) return false;
    const std::uint64_t body = pos + 8;
    const std::uint64_t c_end = body + c.size;
    if (is(c.id, "avih")) {
      if (c.size < kAvihMin) return false;
      std::uint8_t b[kAvihMin];
      if (!src.read(body, b, sizeof b)) return false;
      info.avih_offset = body;
      info.micro_sec_per_frame = get_u32(b);
      info.avih_flags = get_u32(b + 12);
      info.total_frames = get_u32(b + 16);
      info.stream_count = get_u32(b + 24);
      info.suggested_buffer_size = get_u32(b + 28);
      info.width = get_u32(b + 32);
      info.height = get_u32(b + 36);
      has_avih = true;
    } else if (is(c.id, "LIST") && is(c.list_type, "strl")) {
      if (info.streams.size() >= 100) return false;  // chunk ids carry two digits
      AviStream s;
      bool has_strh = false;
      if (!parse_strl(src, body + 4, c_end, s, has_strh)) return false;
      if (has_strh) info.streams.push_back(s);
    } else if (is(c.id, "LIST") && is(c.list_type, "odml")) {
      std::uint64_t p = body + 4;
      while (p + 8 <= c_end) {
        Chunk d;
        if (!read_chunk(src, p, c_end, d) || !chunk_fits(p, d, c_end)) return false;
        std::uint8_t b[4];
        if (is(d.id, "dmlh") && d.size >= 4 && src.read(p + 8, b, 4)) {
          info.dmlh_total_frames = get_u32(b);
          info.dmlh_offset = p + 8;
        }
        p += padded(8 + static_cast<std::uint64_t>(d.size));
      }
    }
    pos += padded(8 + static_cast<std::uint64_t>(c.size));
  }
  return true;
}

// Counts the chunks of one movi walk into the streams.
WalkResult count_movi(ByteSource& src, std::uint64_t begin, AviInfo& info, std::uint64_t& chunks) {
  const int n = static_cast<int>(info.streams.size());
  return walk_movi(src, begin, n, [&](const MoviChunk& c) {
    AviStream& s = info.streams[static_cast<std::size_t>(c.stream)];
    ++s.chunks;
    s.bytes += c.size;
    s.largest_chunk = std::max(s.largest_chunk, c.size);
    ++chunks;
  });
}

// Follows the OpenDML segments ("RIFF" "AVIX" "LIST" "movi") that start at pos.
void count_extended_segments(ByteSource& src, std::uint64_t pos, AviInfo& info) {
  std::uint64_t ignored = 0;
  while (info.riff_segments < 10000) {
    std::uint8_t h[24];
    if (!src.read(pos, h, 24) || !is(get_fourcc(h), "RIFF") || !is(get_fourcc(h + 8), "AVIX") ||
        !is(get_fourcc(h + 12), "LIST") || !is(get_fourcc(h + 20), "movi"))
      return;
    if (info.riff_segments == 1) info.first_extended_offset = pos;
    ++info.riff_segments;
    const WalkResult w = count_movi(src, pos + 24, info, ignored);
    // A closed segment ends where the next begins, the last one at the end of the file;
    // its movi list fills it.
    const std::uint64_t end = w.stop == WalkStop::Riff ? w.end : info.file_size;
    const std::uint64_t riff_end = pos + 8 + static_cast<std::uint64_t>(get_u32(h + 4));
    const std::uint64_t movi_end = pos + 20 + static_cast<std::uint64_t>(get_u32(h + 16));
    if (riff_end != end || movi_end != end) info.extended_sizes_ok = false;
    if (w.stop == WalkStop::Riff) {
      pos = w.end;
    } else {
      if (w.stop != WalkStop::EndOfFile) info.movi_tail_is_partial = true;
      return;
    }
  }
}

bool compute_finalised(const AviInfo& info) {
  if (!info.has_idx1 || !info.idx1_complete || info.movi_tail_is_partial) return false;
  if (info.idx1_entries < info.chunks_in_first_segment) return false;
  const std::uint64_t movi_end = info.movi_list_offset + 8 + static_cast<std::uint64_t>(info.movi_list_size);
  if (movi_end < info.movi_data_end || movi_end > info.idx1_offset) return false;
  const std::uint64_t riff_end = 8 + static_cast<std::uint64_t>(info.riff_size);
  if (info.riff_segments == 1) {
    if (riff_end > info.file_size || riff_end < info.idx1_offset + 8) return false;
  } else {
    // Each stream's data in the AVIX segments is found through its super index.
    if (!info.extended_sizes_ok || riff_end > info.first_extended_offset || riff_end < info.idx1_offset + 8)
      return false;
    for (const AviStream& s : info.streams)
      if (s.chunks > 0 && (!s.has_super_index || s.super_index_entries == 0)) return false;
  }
  if (info.video_chunks() > 0 && info.total_frames == 0) return false;
  for (const AviStream& s : info.streams)
    if (s.chunks > 0 && s.length == 0) return false;
  return true;
}

}  // namespace

std::uint64_t AviInfo::video_chunks() const {
  return video_stream >= 0 ? streams[static_cast<std::size_t>(video_stream)].chunks : 0;
}

std::uint64_t AviInfo::declared_video_frames() const {
  if (video_stream < 0) return 0;
  const std::uint64_t len = streams[static_cast<std::size_t>(video_stream)].length;
  return dmlh_total_frames && *dmlh_total_frames > len ? *dmlh_total_frames : len;
}

double AviInfo::video_duration_seconds() const {
  if (video_stream < 0) return 0.0;
  const AviStream& s = streams[static_cast<std::size_t>(video_stream)];
  if (s.rate == 0) return 0.0;
  return static_cast<double>(declared_video_frames()) * s.scale / s.rate;
}

AviReadResult read_avi(ByteSource& src) {
  AviInfo info;
  info.file_size = src.size();
  std::uint8_t h[12];
  if (info.file_size < 12 || !src.read(0, h, 12)) return {std::nullopt, kTooShort};
  if (!is(get_fourcc(h), "RIFF") || !is(get_fourcc(h + 8), "AVI ")) return {std::nullopt, kNotAvi};
  info.riff_size = get_u32(h + 4);

  // Top level up to the movi list; sizes of a crashed file are wrong from movi on only.
  bool has_hdrl = false;
  bool has_avih = false;
  std::uint64_t pos = 12;
  for (;;) {
    Chunk c;
    if (!read_chunk(src, pos, info.file_size, c)) return {std::nullopt, has_hdrl ? kNoMovi : kTruncatedHeader};
    if (is(c.id, "LIST") && is(c.list_type, "movi")) break;
    if (!chunk_fits(pos, c, info.file_size)) return {std::nullopt, has_hdrl ? kNoMovi : kTruncatedHeader};
    if (is(c.id, "LIST") && is(c.list_type, "hdrl") && !has_hdrl) {
      has_hdrl = true;
      if (!parse_hdrl(src, pos + 12, pos + 8 + c.size, info, has_avih)) return {std::nullopt, kTruncatedHeader};
    }
    pos += padded(8 + static_cast<std::uint64_t>(c.size));
  }
  if (!has_hdrl) return {std::nullopt, kTruncatedHeader};
  if (!has_avih) return {std::nullopt, kNoAvih};
  if (info.streams.empty()) return {std::nullopt, kNoStream};
  for (std::size_t i = 0; i < info.streams.size(); ++i)
    if (info.streams[i].is_video()) {
      info.video_stream = static_cast<int>(i);
      break;
    }

  std::uint8_t m[4];
  if (!src.read(pos + 4, m, 4)) return {std::nullopt, kNoMovi};
  info.movi_list_offset = pos;
  info.movi_list_size = get_u32(m);

  const WalkResult w = count_movi(src, pos + 12, info, info.chunks_in_first_segment);
  info.movi_data_end = w.end;
  info.movi_tail_is_partial = w.stop == WalkStop::Partial || w.stop == WalkStop::Unknown;
  if (w.stop == WalkStop::Idx1) {
    std::uint8_t b[8];
    if (src.read(w.end, b, 8)) {
      const std::uint32_t size = get_u32(b + 4);
      info.has_idx1 = true;
      info.idx1_offset = w.end;
      info.idx1_entries = size / 16;
      info.idx1_complete = w.end + 8 + static_cast<std::uint64_t>(size) <= info.file_size;
      if (info.idx1_complete) {
        std::uint64_t next = padded(w.end + 8 + static_cast<std::uint64_t>(size));
        // Skip padding chunks between segments.
        Chunk c;
        while (read_chunk(src, next, info.file_size, c) && is(c.id, "JUNK"))
          next += padded(8 + static_cast<std::uint64_t>(c.size));
        count_extended_segments(src, next, info);
      }
    }
  } else if (w.stop == WalkStop::Riff) {
    count_extended_segments(src, w.end, info);
  }
  info.finalised = compute_finalised(info);
  return {info, {}};
}

AviReadResult read_avi_file(const std::string& path) {
  FileSource src(path);
  if (!src.is_open()) return {std::nullopt, kUnreadable};
  return read_avi(src);
}

}  // namespace wellvue::avi
