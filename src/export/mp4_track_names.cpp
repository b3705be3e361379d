#include "export/mp4_track_names.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

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

// The track box with its handler named `title` and a user-data name added.
std::optional<Bytes> renamed_track(std::string_view trak, const std::string& title, bool& is_text) {
  const auto kids = children(trak.substr(8));
  if (!kids) return std::nullopt;
  Bytes payload;
  bool has_udta = false;
  for (const auto& k : *kids) {
    if (k.type == "udta") has_udta = true;
    if (k.type != "mdia") {
      payload += k.whole;
      continue;
    }
    const auto media = children(k.whole.substr(8));
    if (!media) return std::nullopt;
    Bytes mdia;
    for (const auto& m : *media) {
      if (m.type == "hdlr" && is_text_handler(m.whole)) {
        is_text = true;
        mdia += box("hdlr", Bytes(m.whole.substr(8, 24)) + title + '\0');
      } else {
        mdia += m.whole;
      }
    }
    payload += box("mdia", mdia);
  }
  if (!is_text) return Bytes(trak);
  if (!has_udta) payload += box("udta", box("name", title));
  return box("trak", payload);
}

bool read_at(int fd, char* to, std::size_t n, off_t at) {
  while (n > 0) {
    const ssize_t got = ::pread(fd, to, n, at);
    if (got <= 0) return false;
    to += got;
    n -= static_cast<std::size_t>(got);
    at += got;
  }
  return true;
}

bool write_at(int fd, const char* from, std::size_t n, off_t at) {
  while (n > 0) {
    const ssize_t put = ::pwrite(fd, from, n, at);
    if (put <= 0) return false;
    from += put;
    n -= static_cast<std::size_t>(put);
    at += put;
  }
  return true;
}

}  // namespace

std::string name_mp4_text_tracks(int fd, const std::vector<std::string>& titles) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return "fichier MP4 illisible";
  const auto file_size = static_cast<std::uint64_t>(st.st_size);
  // The top-level boxes, to the last one.
  std::uint64_t at = 0, moov_at = 0, moov_size = 0;
  bool media_after_moov = false;
  while (at + 8 <= file_size) {
    char head[16];
    if (!read_at(fd, head, 8, static_cast<off_t>(at))) return "fichier MP4 illisible";
    std::uint64_t size = be32(std::string_view(head, 8), 0);
    if (size == 1) {
      if (!read_at(fd, head + 8, 8, static_cast<off_t>(at + 8))) return "fichier MP4 illisible";
      size = (std::uint64_t(be32(std::string_view(head, 16), 8)) << 32) | be32(std::string_view(head, 16), 12);
    } else if (size == 0) {
      size = file_size - at;
    }
    if (size < 8 || size > file_size - at) return "fichier MP4 mal formé";
    if (moov_size != 0 && std::memcmp(head + 4, "mdat", 4) == 0) media_after_moov = true;
    if (std::memcmp(head + 4, "moov", 4) == 0) {
      moov_at = at;
      moov_size = size;
    }
    at += size;
  }
  // The boxes after the movie box (mp4mux's XMP metadata) hold no sample offsets: they move with it.
  if (moov_size == 0 || media_after_moov) return "fichier MP4 sans index en fin de fichier";
  Bytes tail(file_size - moov_at, '\0');
  if (!read_at(fd, tail.data(), tail.size(), static_cast<off_t>(moov_at))) return "fichier MP4 illisible";
  const std::string_view moov = std::string_view(tail).substr(0, moov_size);
  const auto kids = children(moov.substr(8));
  if (!kids) return "fichier MP4 mal formé";
  Bytes payload;
  std::size_t next_title = 0;
  for (const auto& k : *kids) {
    if (k.type != "trak" || next_title >= titles.size()) {
      payload += k.whole;
      continue;
    }
    bool is_text = false;
    const auto trak = renamed_track(k.whole, titles[next_title], is_text);
    if (!trak) return "fichier MP4 mal formé";
    if (is_text) ++next_title;
    payload += *trak;
  }
  const Bytes renamed = box("moov", payload) + tail.substr(moov_size);
  if (!write_at(fd, renamed.data(), renamed.size(), static_cast<off_t>(moov_at)) ||
      ::ftruncate(fd, static_cast<off_t>(moov_at + renamed.size())) != 0)
    return "écriture du fichier exporté impossible";
  return "";
}

}  // namespace wellvue::exporting
