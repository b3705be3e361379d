#include "export/mp4_header.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "export/positioned_io.h"

namespace wellvue::exporting {
namespace {

using Bytes = std::string;

std::uint32_t be32(std::string_view b, std::size_t at) {
  return (std::uint32_t(std::uint8_t(b[at])) << 24) | (std::uint32_t(std::uint8_t(b[at + 1])) << 16) |
         (std::uint32_t(std::uint8_t(b[at + 2])) << 8) | std::uint32_t(std::uint8_t(b[at + 3]));
}

void put32(Bytes& b, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b += static_cast<char>((v >> s) & 0xFF);
}

Bytes box(std::string_view type, std::string_view payload) {
  Bytes b;
  put32(b, static_cast<std::uint32_t>(8 + payload.size()));
  b += type;
  b += payload;
  return b;
}

struct Child {
  std::string type;
  std::string_view whole;  // header included
};

// The boxes directly inside `payload`; nullopt when a size does not fit (32-bit sizes only: a
// movie box never needs more).
std::optional<std::vector<Child>> children(std::string_view payload) {
  std::vector<Child> out;
  std::size_t at = 0;
  while (at < payload.size()) {
    if (payload.size() - at < 8) return std::nullopt;
    const std::uint32_t size = be32(payload, at);
    if (size < 8 || size > payload.size() - at) return std::nullopt;
    out.push_back({std::string(payload.substr(at + 4, 4)), payload.substr(at, size)});
    at += size;
  }
  return out;
}

bool is_text_handler(std::string_view hdlr) {
  // header, version and flags, pre-defined, then the handler type
  if (hdlr.size() < 32) return false;
  const std::string_view type = hdlr.substr(16, 4);
  return type == "sbtl" || type == "text";
}

// The text tracks' alternate group: players show one track of a group at a time.
constexpr std::uint16_t kTextGroup = 2;

// The track header with its "enabled" flag as asked and the text tracks' alternate group.
std::optional<Bytes> chosen_header(std::string_view tkhd, bool enabled) {
  Bytes b(tkhd);
  if (b.size() < 12) return std::nullopt;
  const bool v1 = b[8] == 1;
  const std::size_t group_at = 8 + (v1 ? 46 : 34);
  if (b.size() < group_at + 2) return std::nullopt;
  b[11] = static_cast<char>(enabled ? (b[11] | 0x01) : (b[11] & ~0x01));
  b[group_at] = static_cast<char>(kTextGroup >> 8);
  b[group_at + 1] = static_cast<char>(kTextGroup & 0xFF);
  return b;
}

// User-data names: "name" (VLC), "©nam" as a QuickTime string in language "und" (FFmpeg's
// later readers give it to the track; "und" adds no language-suffixed key in older ones).
Bytes name_boxes(const std::string& title) {
  Bytes quicktime;
  quicktime += static_cast<char>((title.size() >> 8) & 0xFF);
  quicktime += static_cast<char>(title.size() & 0xFF);
  quicktime += "\x55\xC4";
  quicktime += title;
  return box("name", title) + box("\xA9nam", quicktime);
}

// The track box renamed and chosen when it is a text track (`is_text` then set), else as it was.
std::optional<Bytes> finished_track(std::string_view trak, const SubtitleTrack& track, bool& is_text) {
  const auto kids = children(trak.substr(8));
  if (!kids) return std::nullopt;
  for (const auto& k : *kids) {
    if (k.type != "mdia") continue;
    const auto media = children(k.whole.substr(8));
    if (!media) return std::nullopt;
    for (const auto& m : *media)
      if (m.type == "hdlr" && is_text_handler(m.whole)) is_text = true;
  }
  if (!is_text) return Bytes(trak);
  Bytes payload;
  bool has_udta = false;
  for (const auto& k : *kids) {
    if (k.type == "tkhd") {
      const auto tkhd = chosen_header(k.whole, track.by_default);
      if (!tkhd) return std::nullopt;
      payload += *tkhd;
    } else if (k.type == "udta") {
      has_udta = true;
      const auto data = children(k.whole.substr(8));
      if (!data) return std::nullopt;
      Bytes udta;
      for (const auto& u : *data)
        if (u.type != "name" && u.type != "\xA9nam") udta += u.whole;
      payload += box("udta", udta + name_boxes(track.title));
    } else if (k.type == "mdia") {
      const auto media = children(k.whole.substr(8));
      if (!media) return std::nullopt;
      Bytes mdia;
      for (const auto& m : *media)
        mdia += m.type == "hdlr" ? box("hdlr", Bytes(m.whole.substr(8, 24)) + track.title + '\0') : Bytes(m.whole);
      payload += box("mdia", mdia);
    } else {
      payload += k.whole;
    }
  }
  if (!has_udta) payload += box("udta", name_boxes(track.title));
  return box("trak", payload);
}


struct TopBox {
  char type[4];
  std::uint64_t at = 0, size = 0;
  bool is(const char* t) const { return std::memcmp(type, t, 4) == 0; }
};

std::optional<std::vector<TopBox>> top_boxes(int fd, std::uint64_t file_size) {
  std::vector<TopBox> boxes;
  std::uint64_t at = 0;
  while (at + 8 <= file_size) {
    char head[16];
    if (!read_at(fd, head, 8, static_cast<off_t>(at))) return std::nullopt;
    std::uint64_t size = be32(std::string_view(head, 8), 0);
    if (size == 1) {
      if (!read_at(fd, head + 8, 8, static_cast<off_t>(at + 8))) return std::nullopt;
      size = (std::uint64_t(be32(std::string_view(head, 16), 8)) << 32) | be32(std::string_view(head, 16), 12);
    } else if (size == 0) {
      size = file_size - at;
    }
    if (size < 8 || size > file_size - at) return std::nullopt;
    TopBox b;
    std::memcpy(b.type, head + 4, 4);
    b.at = at;
    b.size = size;
    boxes.push_back(b);
    at += size;
  }
  return boxes;
}

}  // namespace

std::string finish_mp4_text_tracks(int fd, const std::vector<SubtitleTrack>& tracks) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return "fichier MP4 illisible";
  const auto file_size = static_cast<std::uint64_t>(st.st_size);
  const auto boxes = top_boxes(fd, file_size);
  if (!boxes) return "fichier MP4 mal formé";
  std::size_t moov = boxes->size();
  for (std::size_t i = 0; i < boxes->size(); ++i)
    if ((*boxes)[i].is("moov")) moov = i;
  if (moov == boxes->size()) return "fichier MP4 sans index";
  bool media_after = false;
  for (std::size_t i = moov + 1; i < boxes->size(); ++i) media_after = media_after || (*boxes)[i].is("mdat");
  // Index first: the movie box may take the free boxes that follow it. Index last: what follows
  // it (mp4mux's XMP metadata) holds no sample offsets and moves with it.
  std::uint64_t room = (*boxes)[moov].size;
  std::size_t after = moov + 1;
  if (media_after)
    for (; after < boxes->size() && ((*boxes)[after].is("free") || (*boxes)[after].is("skip")); ++after)
      room += (*boxes)[after].size;
  const std::uint64_t moov_at = (*boxes)[moov].at;
  const std::uint64_t read_size = media_after ? (*boxes)[moov].size : file_size - moov_at;
  Bytes old(read_size, '\0');
  if (!read_at(fd, old.data(), old.size(), static_cast<off_t>(moov_at))) return "fichier MP4 illisible";
  const std::string_view moov_box = std::string_view(old).substr(0, (*boxes)[moov].size);
  const auto kids = children(moov_box.substr(8));
  if (!kids) return "fichier MP4 mal formé";
  Bytes payload;
  std::size_t next = 0;
  for (const auto& k : *kids) {
    if (k.type != "trak" || next >= tracks.size()) {
      payload += k.whole;
      continue;
    }
    bool is_text = false;
    const auto trak = finished_track(k.whole, tracks[next], is_text);
    if (!trak) return "fichier MP4 mal formé";
    if (is_text) ++next;
    payload += *trak;
  }
  Bytes rewritten = box("moov", payload);
  if (media_after) {
    if (rewritten.size() > room || (room - rewritten.size() > 0 && room - rewritten.size() < 8))
      return "place réservée à l'index du fichier MP4 insuffisante";
    if (room > rewritten.size()) {
      Bytes free_head;
      put32(free_head, static_cast<std::uint32_t>(room - rewritten.size()));
      free_head += "free";
      rewritten += free_head;
    }
  } else {
    rewritten += old.substr((*boxes)[moov].size);
  }
  if (!write_at(fd, rewritten.data(), rewritten.size(), static_cast<off_t>(moov_at)))
    return "écriture du fichier exporté impossible";
  if (!media_after && ::ftruncate(fd, static_cast<off_t>(moov_at + rewritten.size())) != 0)
    return "écriture du fichier exporté impossible";
  return "";
}

}  // namespace wellvue::exporting
