// Little-endian field access and four-character codes of RIFF files.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace wellvue::avi {

using FourCC = std::array<char, 4>;

inline std::uint32_t get_u32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint16_t get_u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

inline void put_u32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

inline FourCC get_fourcc(const std::uint8_t* p) {
  return {static_cast<char>(p[0]), static_cast<char>(p[1]), static_cast<char>(p[2]), static_cast<char>(p[3])};
}

inline bool is(const FourCC& f, const char (&s)[5]) {
  return f[0] == s[0] && f[1] == s[1] && f[2] == s[2] && f[3] == s[3];
}

// Printable form for messages: non-printable bytes become '?'.
inline std::string fourcc_text(const FourCC& f) {
  std::string s;
  for (char c : f) s += (c >= 0x20 && c < 0x7f) ? c : '?';
  return s;
}

// RIFF chunks are padded to an even length.
inline std::uint64_t padded(std::uint64_t n) { return n + (n & 1u); }

}  // namespace wellvue::avi
