#include "export/matroska_header.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "export/positioned_io.h"

namespace wellvue::exporting {
namespace {

using Bytes = std::string;

constexpr std::uint32_t kSegment = 0x18538067, kSeekHead = 0x114D9B74, kSeek = 0x4DBB, kSeekId = 0x53AB,
                        kSeekPosition = 0x53AC, kInfo = 0x1549A966, kTitle = 0x7BA9, kTracks = 0x1654AE6B,
                        kTrackEntry = 0xAE, kTrackType = 0x83, kName = 0x536E, kFlagDefault = 0x88, kVoid = 0xEC,
                        kCluster = 0x1F43B675;
constexpr std::uint64_t kSubtitleType = 0x11;
// matroskamux writes its head within the first kilobytes; the first cluster must start in here.
constexpr std::size_t kHeadRead = 1 << 20;

struct Element {
  std::uint32_t id = 0;
  std::string_view payload;
  std::string_view whole;
};

// One element at `at` of `b`; nullopt when it does not fit or has an unknown size.
std::optional<Element> element_at(std::string_view b, std::size_t at) {
  if (at >= b.size()) return std::nullopt;
  const auto first = static_cast<std::uint8_t>(b[at]);
  int id_len = 1;
  while (id_len <= 4 && !(first & (0x80 >> (id_len - 1)))) ++id_len;
  if (id_len > 4 || at + id_len >= b.size()) return std::nullopt;
  std::uint32_t id = 0;
  for (int i = 0; i < id_len; ++i) id = (id << 8) | static_cast<std::uint8_t>(b[at + i]);
  const std::size_t size_at = at + id_len;
  const auto lead = static_cast<std::uint8_t>(b[size_at]);
  int size_len = 1;
  while (size_len <= 8 && !(lead & (0x80 >> (size_len - 1)))) ++size_len;
  if (size_len > 8 || size_at + size_len > b.size()) return std::nullopt;
  std::uint64_t size = lead & (0xFF >> size_len);
  bool unknown = size == (0xFFu >> size_len);
  for (int i = 1; i < size_len; ++i) {
    const auto byte = static_cast<std::uint8_t>(b[size_at + i]);
    unknown = unknown && byte == 0xFF;
    size = (size << 8) | byte;
  }
  const std::size_t body = size_at + size_len;
  if (unknown || size > b.size() - body) return std::nullopt;
  return Element{id, b.substr(body, size), b.substr(at, body + size - at)};
}

std::optional<std::vector<Element>> children(std::string_view payload) {
  std::vector<Element> out;
  for (std::size_t at = 0; at < payload.size();) {
    const auto e = element_at(payload, at);
    if (!e) return std::nullopt;
    out.push_back(*e);
    at += e->whole.size();
  }
  return out;
}

std::uint64_t uint_of(std::string_view payload) {
  std::uint64_t v = 0;
  for (char c : payload) v = (v << 8) | static_cast<std::uint8_t>(c);
  return v;
}

Bytes id_bytes(std::uint32_t id) {
  Bytes b;
  for (int s = 24; s >= 0; s -= 8)
    if ((id >> s) || !b.empty() || s == 0) b += static_cast<char>((id >> s) & 0xFF);
  return b;
}

// The size as an EBML number of at least `min_len` bytes.
Bytes size_bytes(std::uint64_t size, int min_len = 1) {
  int len = std::max(min_len, 1);
  while (len < 8 && size >= (std::uint64_t(1) << (7 * len)) - 1) ++len;
  Bytes b(static_cast<std::size_t>(len), '\0');
  for (int i = len - 1; i >= 0; --i, size >>= 8) b[static_cast<std::size_t>(i)] = static_cast<char>(size & 0xFF);
  b[0] = static_cast<char>(static_cast<std::uint8_t>(b[0]) | (0x80 >> (len - 1)));
  return b;
}

Bytes element(std::uint32_t id, std::string_view payload, int min_size_len = 1) {
  return id_bytes(id) + size_bytes(payload.size(), min_size_len) + Bytes(payload);
}

Bytes uint_element(std::uint32_t id, std::uint64_t v, std::size_t len) {
  Bytes payload(len, '\0');
  for (std::size_t i = len; i-- > 0; v >>= 8) payload[i] = static_cast<char>(v & 0xFF);
  return element(id, payload);
}

// Filler of exactly `n` bytes (n is 0 or at least 2).
Bytes void_of(std::size_t n) {
  if (n == 0) return {};
  if (n - 2 <= 126) return element(kVoid, Bytes(n - 2, '\0'));
  return element(kVoid, Bytes(n - 9, '\0'), 8);
}

// The tracks with the subtitle tracks' names and default flags set, in order.
std::optional<Bytes> finished_tracks(std::string_view payload, const std::vector<SubtitleTrack>& tracks) {
  const auto entries = children(payload);
  if (!entries) return std::nullopt;
  Bytes out;
  std::size_t next = 0;
  for (const Element& entry : *entries) {
    if (entry.id != kTrackEntry) {
      if (entry.id != kVoid) out += entry.whole;
      continue;
    }
    const auto kids = children(entry.payload);
    if (!kids) return std::nullopt;
    bool subtitle = false;
    for (const Element& k : *kids) subtitle = subtitle || (k.id == kTrackType && uint_of(k.payload) == kSubtitleType);
    Bytes body;
    for (const Element& k : *kids)
      if (!(subtitle && next < tracks.size() && (k.id == kName || k.id == kFlagDefault)) && k.id != kVoid)
        body += k.whole;
    if (subtitle && next < tracks.size()) {
      body += element(kName, tracks[next].title);
      body += uint_element(kFlagDefault, tracks[next].by_default ? 1 : 0, 1);
      ++next;
    }
    out += element(kTrackEntry, body);
  }
  return out;
}

// The longest start of `text` of at most `n` bytes that does not cut a UTF-8 character.
std::string utf8_prefix(const std::string& text, std::size_t n) {
  if (text.size() <= n) return text;
  while (n > 0 && (static_cast<std::uint8_t>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}


}  // namespace

std::string finish_matroska_head(int fd, const std::string& title, const std::vector<SubtitleTrack>& tracks) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return "fichier Matroska illisible";
  Bytes head(std::min<std::size_t>(kHeadRead, static_cast<std::size_t>(st.st_size)), '\0');
  if (!read_at(fd, head.data(), head.size(), 0)) return "fichier Matroska illisible";
  // The EBML header, then the segment's head: its children up to the first cluster.
  const auto ebml = element_at(head, 0);
  if (!ebml) return "fichier Matroska mal formé";
  std::size_t at = ebml->whole.size();
  std::size_t data_start = 0;
  {
    // The segment's own size may run past what was read: only its header is needed.
    std::string_view rest = std::string_view(head).substr(at);
    if (rest.size() < 5 || uint_of(rest.substr(0, 4)) != kSegment) return "fichier Matroska mal formé";
    const auto lead = static_cast<std::uint8_t>(rest[4]);
    int size_len = 1;
    while (size_len <= 8 && !(lead & (0x80 >> (size_len - 1)))) ++size_len;
    if (size_len > 8) return "fichier Matroska mal formé";
    data_start = at + 4 + static_cast<std::size_t>(size_len);
  }
  std::vector<Element> top;
  std::size_t cluster_at = 0;
  for (at = data_start; at + 4 <= head.size();) {
    if (uint_of(std::string_view(head).substr(at, 4)) == kCluster) {
      cluster_at = at;
      break;
    }
    const auto e = element_at(head, at);
    if (!e) return "fichier Matroska mal formé";
    top.push_back(*e);
    at += e->whole.size();
  }
  if (cluster_at == 0) return "fichier Matroska sans images au début";

  // Everything but the seek head and the title, compactly, in the original order.
  Bytes info, tracks_body;
  std::vector<std::pair<std::uint32_t, Bytes>> parts;  // id, bytes; the seek head rebuilt last
  bool has_info = false, has_tracks = false;
  for (const Element& e : top) {
    if (e.id == kVoid || e.id == kSeekHead) continue;
    if (e.id == kInfo) {
      const auto kids = children(e.payload);
      if (!kids) return "fichier Matroska mal formé";
      for (const Element& k : *kids)
        if (k.id != kTitle && k.id != kVoid) info += k.whole;
      has_info = true;
      parts.push_back({kInfo, {}});
    } else if (e.id == kTracks) {
      const auto body = finished_tracks(e.payload, tracks);
      if (!body) return "fichier Matroska mal formé";
      tracks_body = *body;
      has_tracks = true;
      parts.push_back({kTracks, element(kTracks, tracks_body)});
    } else {
      parts.push_back({e.id, Bytes(e.whole)});
    }
  }
  if (!has_info || !has_tracks) return "fichier Matroska sans en-tête";
  // The seek head: its entries' positions as 8-byte numbers, so its size does not depend on them.
  std::vector<std::pair<Bytes, std::uint64_t>> seeks;  // target id bytes, position
  for (const Element& e : top) {
    if (e.id != kSeekHead) continue;
    const auto entries = children(e.payload);
    if (!entries) return "fichier Matroska mal formé";
    for (const Element& s : *entries) {
      if (s.id != kSeek) continue;
      const auto kids = children(s.payload);
      if (!kids) return "fichier Matroska mal formé";
      Bytes id;
      std::uint64_t position = 0;
      for (const Element& k : *kids) {
        if (k.id == kSeekId) id = Bytes(k.payload);
        if (k.id == kSeekPosition) position = uint_of(k.payload);
      }
      seeks.push_back({id, position});
    }
  }
  const std::size_t space = cluster_at - data_start;
  // `longer_size`: the information's size one byte longer than it needs, to take up a lone byte.
  auto layout = [&](const std::string& with_title, bool longer_size, Bytes& out) {
    out.clear();
    std::vector<std::pair<std::uint32_t, std::uint64_t>> positions;
    Bytes seek_head_body;
    for (const auto& s : seeks)
      seek_head_body +=
          element(kSeek, element(kSeekId, s.first) + uint_element(kSeekPosition, s.second, 8));
    Bytes body = seeks.empty() ? Bytes() : element(kSeekHead, seek_head_body);
    for (auto& [id, bytes] : parts) {
      positions.push_back({id, body.size()});
      if (id == kInfo) {
        const Bytes payload = info + (with_title.empty() ? Bytes() : element(kTitle, with_title));
        const int natural = static_cast<int>(size_bytes(payload.size()).size());
        body += element(kInfo, payload, natural + (longer_size ? 1 : 0));
      } else {
        body += bytes;
      }
    }
    // The seek head again, now that the positions are known (same size).
    if (!seeks.empty()) {
      Bytes fixed;
      for (const auto& s : seeks) {
        std::uint64_t position = s.second;
        for (const auto& [id, p] : positions)
          if (id_bytes(id) == s.first && (id == kInfo || id == kTracks)) position = p;
        fixed += element(kSeek, element(kSeekId, s.first) + uint_element(kSeekPosition, position, 8));
      }
      const Bytes seek_head = element(kSeekHead, fixed);
      body.replace(0, seek_head.size(), seek_head);
    }
    out = body;
  };
  Bytes body;
  layout("", false, body);
  if (body.size() > space) return "en-tête Matroska sans place pour les noms des pistes";
  // The title takes what room is left, keeping two bytes for a filler when any is left over.
  const std::size_t room = space - body.size();
  const std::size_t overhead = 2 + size_bytes(title.size()).size() + 1;
  const std::string fitted = room >= overhead ? utf8_prefix(title, room - overhead) : std::string();
  layout(fitted, false, body);
  if (body.size() < space && space - body.size() == 1) layout(fitted, true, body);
  if (body.size() > space || space - body.size() == 1) return "en-tête Matroska sans place pour le titre";
  body += void_of(space - body.size());
  if (!write_at(fd, body.data(), body.size(), static_cast<off_t>(data_start)))
    return "écriture du fichier exporté impossible";
  return "";
}

}  // namespace wellvue::exporting
