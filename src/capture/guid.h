// 16-byte identifiers of media types, subtypes and format blocks, with the well-known values the
// engine and its backend agree on (a backend maps its own formats onto these).
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace wellvue {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  friend bool operator==(const Guid&, const Guid&) = default;
  bool is_null() const { return *this == Guid{}; }
};

// "{73646976-0000-0010-8000-00AA00389B71}"
std::string guid_text(const Guid& g);

// A subtype built from a four-character code ("YUY2", "MJPG"...), the platform's FOURCC rule.
constexpr Guid fourcc_guid(char a, char b, char c, char d) {
  return Guid{static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
                  (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8) |
                  (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16) |
                  (static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24),
              0x0000,
              0x0010,
              {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

namespace guids {

// Major types.
inline constexpr Guid MEDIATYPE_Video = fourcc_guid('v', 'i', 'd', 's');
inline constexpr Guid MEDIATYPE_Audio = fourcc_guid('a', 'u', 'd', 's');
inline constexpr Guid MEDIATYPE_Interleaved = fourcc_guid('i', 'a', 'v', 's');

// Format block types.
inline constexpr Guid FORMAT_VideoInfo{0x05589F80, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
inline constexpr Guid FORMAT_VideoInfo2{0xF72A76A0, 0xEB0A, 0x11D0, {0xAC, 0xE4, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
inline constexpr Guid FORMAT_WaveFormatEx{0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};

// Pin category of a capture output.
inline constexpr Guid PIN_CATEGORY_CAPTURE{
    0xFB6C4281, 0x0353, 0x11D1, {0x90, 0x5F, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};

// Video subtypes.
inline constexpr Guid MEDIASUBTYPE_YVU9 = fourcc_guid('Y', 'V', 'U', '9');
inline constexpr Guid MEDIASUBTYPE_Y411 = fourcc_guid('Y', '4', '1', '1');
inline constexpr Guid MEDIASUBTYPE_Y41P = fourcc_guid('Y', '4', '1', 'P');
inline constexpr Guid MEDIASUBTYPE_YUY2 = fourcc_guid('Y', 'U', 'Y', '2');
inline constexpr Guid MEDIASUBTYPE_YVYU = fourcc_guid('Y', 'V', 'Y', 'U');
inline constexpr Guid MEDIASUBTYPE_UYVY = fourcc_guid('U', 'Y', 'V', 'Y');
inline constexpr Guid MEDIASUBTYPE_Y211 = fourcc_guid('Y', '2', '1', '1');
inline constexpr Guid MEDIASUBTYPE_MJPG = fourcc_guid('M', 'J', 'P', 'G');
inline constexpr Guid MEDIASUBTYPE_I420 = fourcc_guid('I', '4', '2', '0');
inline constexpr Guid MEDIASUBTYPE_YV12 = fourcc_guid('Y', 'V', '1', '2');
inline constexpr Guid MEDIASUBTYPE_NV12 = fourcc_guid('N', 'V', '1', '2');
inline constexpr Guid MEDIASUBTYPE_dvsd = fourcc_guid('d', 'v', 's', 'd');
inline constexpr Guid MEDIASUBTYPE_RGB1{0xE436EB78, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr Guid MEDIASUBTYPE_RGB4{0xE436EB79, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr Guid MEDIASUBTYPE_RGB8{0xE436EB7A, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr Guid MEDIASUBTYPE_RGB565{0xE436EB7B, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr Guid MEDIASUBTYPE_RGB555{0xE436EB7C, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr Guid MEDIASUBTYPE_RGB24{0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr Guid MEDIASUBTYPE_RGB32{0xE436EB7E, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr Guid MEDIASUBTYPE_ARGB32{0x773C9AC0, 0x3274, 0x11D0, {0xB7, 0x24, 0x00, 0xAA, 0x00, 0x6C, 0x1A, 0x01}};
inline constexpr Guid MEDIASUBTYPE_Avi{0xE436EB88, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

// Audio subtypes.
inline constexpr Guid MEDIASUBTYPE_PCM{0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

}  // namespace guids
}  // namespace wellvue
