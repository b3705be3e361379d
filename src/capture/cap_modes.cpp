#include "capture/cap_modes.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace wellvue {
namespace {

const std::pair<Guid, const char*> kSubtypeNames[] = {
    {guids::MEDIASUBTYPE_YVU9, "(YVU9)"},     {guids::MEDIASUBTYPE_Y411, "(Y411)"},
    {guids::MEDIASUBTYPE_Y41P, "(Y41P)"},     {guids::MEDIASUBTYPE_YUY2, "(YUY2)"},
    {guids::MEDIASUBTYPE_YVYU, "(YVYU)"},     {guids::MEDIASUBTYPE_UYVY, "(UYVY)"},
    {guids::MEDIASUBTYPE_Y211, "(Y211)"},     {guids::MEDIASUBTYPE_RGB24, "(RGB24)"},
    {guids::MEDIASUBTYPE_RGB32, "(RGB32)"},   {guids::MEDIASUBTYPE_RGB565, "(RGB565)"},
    {guids::MEDIASUBTYPE_RGB555, "(RGB555)"}, {guids::MEDIASUBTYPE_ARGB32, "(ARGB32)"},
};

// abs() of INT32_MIN overflows; such a picture size is nonsense anyway, keep it in range.
std::int32_t positive(std::int32_t v) {
  if (v == INT32_MIN) return INT32_MAX;
  return v < 0 ? -v : v;
}

}  // namespace

std::string SubtypeName(const Guid& subtype) {
  for (const auto& [guid, text] : kSubtypeNames)
    if (guid == subtype) return text;
  return {};
}

TVCapMode VideoModeFromMediaType(const MediaFormat& mt, const VideoCapability* capability) {
  TVCapMode m;
  m.MajorType = mt.major_type;
  m.SubType = mt.subtype;
  if (mt.format_type != guids::FORMAT_VideoInfo && mt.format_type != guids::FORMAT_VideoInfo2) return m;
  m.Width = positive(mt.width);
  m.Height = positive(mt.height);
  m.BitCount = mt.bit_count;
  if (capability) {
    if (mt.avg_time_per_frame > 0) m.FrameRate = 10000000.0 / static_cast<double>(mt.avg_time_per_frame);
    if (capability->max_frame_interval > 0)
      m.MinFrameRate = 10000000.0 / static_cast<double>(capability->max_frame_interval);
    if (capability->min_frame_interval > 0)
      m.MaxFrameRate = 10000000.0 / static_cast<double>(capability->min_frame_interval);
  }
  return m;
}

TACapMode AudioModeFromMediaType(const MediaFormat& mt) {
  TACapMode m;
  if (mt.format_type != guids::FORMAT_WaveFormatEx) return m;
  m.MajorType = mt.major_type;
  m.SubType = mt.subtype;
  m.SamplesPerSec = mt.samples_per_sec;
  m.BitsPerSample = mt.bits_per_sample;
  m.Channels = mt.channels;
  m.AvgBytesPerSec = mt.avg_bytes_per_sec;
  return m;
}

std::string VideoModeText(const TVCapMode& m) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%dx%dx%db", static_cast<int>(m.Width), static_cast<int>(m.Height),
                static_cast<int>(m.BitCount));
  std::string text = buf;
  const std::string name = SubtypeName(m.SubType);
  if (!name.empty()) text += " " + name;
  return text;
}

std::string AudioModeText(const TACapMode& m) {
  char buf[80];
  if (m.SubType == guids::MEDIASUBTYPE_PCM) {
    std::snprintf(buf, sizeof buf, "%dHzx%dbx%d", static_cast<int>(m.SamplesPerSec), static_cast<int>(m.BitsPerSample),
                  static_cast<int>(m.Channels));
  } else {
    // 32-bit product as the rate is shown; wrap-around instead of undefined overflow.
    const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(m.AvgBytesPerSec) * 8u);
    std::snprintf(buf, sizeof buf, "%dkBits/s, %dHz, %d", static_cast<int>(bits / 1000),
                  static_cast<int>(m.SamplesPerSec), static_cast<int>(m.Channels));
  }
  return buf;
}

bool SameVideoMode(const TVCapMode& a, const TVCapMode& b) {
  return a.SubType == b.SubType && a.Height == b.Height && a.Width == b.Width && a.BitCount == b.BitCount;
}

bool SameAudioMode(const TACapMode& a, const TACapMode& b) {
  if (a.SubType != b.SubType) return false;
  if (a.Channels != b.Channels) return false;
  if (a.SubType == guids::MEDIASUBTYPE_PCM)
    return a.SamplesPerSec == b.SamplesPerSec && a.BitsPerSample == b.BitsPerSample;
  return a.AvgBytesPerSec == b.AvgBytesPerSec && a.SamplesPerSec == b.SamplesPerSec;
}

}  // namespace wellvue
