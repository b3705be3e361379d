#include "capture/avi/keyframe.h"

#include <algorithm>
#include <string>

namespace wellvue::avi {

namespace {

enum class Codec { IntraOnly, H264, Mpeg4 };

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return s;
}

Codec codec_of(const AviStream& s) {
  if (!s.is_video()) return Codec::IntraOnly;
  std::string comp(4, '\0');
  for (int i = 0; i < 4; ++i) comp[static_cast<std::size_t>(i)] = static_cast<char>((s.compression >> (8 * i)) & 0xff);
  for (const std::string& f : {lower(s.handler), lower(comp)}) {
    if (f == "h264" || f == "x264" || f == "avc1") return Codec::H264;
    if (f == "xvid" || f == "divx" || f == "dx50" || f == "fmp4" || f == "mp4v") return Codec::Mpeg4;
  }
  return Codec::IntraOnly;
}

// Position just past the next 00 00 01 start code at or after i, or n.
std::size_t next_start_code(const std::uint8_t* d, std::size_t n, std::size_t i) {
  for (; i + 3 <= n; ++i)
    if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1) return i + 3;
  return n;
}

}  // namespace

std::size_t keyframe_probe_size(const AviStream& s) { return codec_of(s) == Codec::IntraOnly ? 0 : 4096; }

bool is_keyframe(const AviStream& s, const std::uint8_t* data, std::size_t n, std::uint32_t chunk_size) {
  if (s.is_video() && chunk_size == 0) return false;
  const Codec codec = codec_of(s);
  if (codec == Codec::IntraOnly) return true;
  bool found_any = false;
  for (std::size_t i = next_start_code(data, n, 0); i < n; i = next_start_code(data, n, i)) {
    found_any = true;
    if (codec == Codec::H264) {
      const int type = data[i] & 0x1f;
      if (type == 5 || type == 7) return true;
      if (type == 1) return false;
    } else if (data[i] == 0xB6) {
      return i + 1 < n && (data[i + 1] >> 6) == 0;
    }
  }
  // No recognisable picture header: better a seek point too many than none.
  return !found_any;
}

}  // namespace wellvue::avi
