#include "capture/gst/caps_formats.h"

#include <gst/video/video.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

namespace wellvue::gst {
namespace {

struct SubtypeRow {
  const char* media_type;
  const char* raw_format;
  Guid subtype;
};

// The well-known subtypes a camera's formats map onto; RGB names follow the platform's byte
// order (its RGB24 is GStreamer's BGR).
const SubtypeRow kSubtypes[] = {
    {"video/x-raw", "YUY2", guids::MEDIASUBTYPE_YUY2},
    {"video/x-raw", "UYVY", guids::MEDIASUBTYPE_UYVY},
    {"video/x-raw", "YVYU", guids::MEDIASUBTYPE_YVYU},
    {"video/x-raw", "Y41P", guids::MEDIASUBTYPE_Y41P},
    {"video/x-raw", "YVU9", guids::MEDIASUBTYPE_YVU9},
    {"video/x-raw", "I420", guids::MEDIASUBTYPE_I420},
    {"video/x-raw", "YV12", guids::MEDIASUBTYPE_YV12},
    {"video/x-raw", "NV12", guids::MEDIASUBTYPE_NV12},
    {"video/x-raw", "BGR", guids::MEDIASUBTYPE_RGB24},
    {"video/x-raw", "BGRx", guids::MEDIASUBTYPE_RGB32},
    {"video/x-raw", "BGRA", guids::MEDIASUBTYPE_ARGB32},
    {"video/x-raw", "RGB16", guids::MEDIASUBTYPE_RGB565},
    {"video/x-raw", "RGB15", guids::MEDIASUBTYPE_RGB555},
    {"video/x-raw", "RGB8P", guids::MEDIASUBTYPE_RGB8},
    {"video/x-raw", "GRAY8", fourcc_guid('Y', '8', '0', '0')},
    {"image/jpeg", "", guids::MEDIASUBTYPE_MJPG},
    {"video/x-dv", "", guids::MEDIASUBTYPE_dvsd},
};

constexpr double kHundredNs = 10'000'000.0;

std::string field_string(const GstStructure* s, const char* name) {
  const char* v = gst_structure_get_string(s, name);
  return v ? v : "";
}

// An int field, or the top of an int range (cameras with stepwise sizes).
int field_int(const GstStructure* s, const char* name) {
  const GValue* v = gst_structure_get_value(s, name);
  if (!v) return 0;
  if (G_VALUE_HOLDS_INT(v)) return g_value_get_int(v);
  if (GST_VALUE_HOLDS_INT_RANGE(v)) return gst_value_get_int_range_max(v);
  return 0;
}

int video_bit_count(const std::string& media_type, const std::string& raw, int w, int h) {
  if (media_type != "video/x-raw") return 24;  // compressed pictures decode to 24-bit RGB
  GstVideoFormat fmt = gst_video_format_from_string(raw.c_str());
  if (fmt == GST_VIDEO_FORMAT_UNKNOWN || w <= 0 || h <= 0) return 0;
  GstVideoInfo info;
  gst_video_info_init(&info);
  if (!gst_video_info_set_format(&info, fmt, static_cast<guint>(w), static_cast<guint>(h))) return 0;
  return static_cast<int>((static_cast<std::uint64_t>(info.size) * 8) /
                          (static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h)));
}

int audio_bits(const std::string& raw) {
  static const std::pair<const char*, int> kBits[] = {{"U8", 8},     {"S8", 8},     {"S16LE", 16}, {"S16BE", 16},
                                                      {"S24LE", 24}, {"S24BE", 24}, {"S32LE", 32}, {"S32BE", 32},
                                                      {"F32LE", 32}, {"F32BE", 32}};
  for (const auto& [name, bits] : kBits)
    if (raw == name) return bits;
  return 0;
}

// Rates a structure allows: discrete values in order, or a range.
struct Rates {
  double preferred = 0, min = 0, max = 0;
};

void add_rate_value(const GValue* v, Rates& r, bool& first) {
  auto note = [&](double rate, double lo, double hi) {
    if (first) r.preferred = rate, r.min = lo, r.max = hi, first = false;
    else r.min = std::min(r.min, lo), r.max = std::max(r.max, hi);
  };
  if (GST_VALUE_HOLDS_FRACTION(v)) {
    int n = gst_value_get_fraction_numerator(v), d = gst_value_get_fraction_denominator(v);
    if (n > 0 && d > 0) note(static_cast<double>(n) / d, static_cast<double>(n) / d, static_cast<double>(n) / d);
  } else if (GST_VALUE_HOLDS_FRACTION_RANGE(v)) {
    const GValue* lo = gst_value_get_fraction_range_min(v);
    const GValue* hi = gst_value_get_fraction_range_max(v);
    double a = gst_value_get_fraction_denominator(lo) > 0
                   ? static_cast<double>(gst_value_get_fraction_numerator(lo)) / gst_value_get_fraction_denominator(lo)
                   : 0;
    double b = gst_value_get_fraction_denominator(hi) > 0
                   ? static_cast<double>(gst_value_get_fraction_numerator(hi)) / gst_value_get_fraction_denominator(hi)
                   : 0;
    if (b > 1000) b = 0;  // an unbounded range says nothing about the camera
    note(b, a, b);
  } else if (GST_VALUE_HOLDS_LIST(v)) {
    for (guint i = 0; i < gst_value_list_get_size(v); ++i) add_rate_value(gst_value_list_get_value(v, i), r, first);
  }
}

}  // namespace

Guid subtype_for(const std::string& media_type, const std::string& raw_format) {
  for (const auto& row : kSubtypes)
    if (media_type == row.media_type && (raw_format == row.raw_format || row.raw_format[0] == '\0')) return row.subtype;
  if (media_type == "video/x-raw" && raw_format.size() == 4)
    return fourcc_guid(raw_format[0], raw_format[1], raw_format[2], raw_format[3]);
  return Guid{};
}

GstFormatName format_for_subtype(const Guid& subtype) {
  for (const auto& row : kSubtypes)
    if (row.subtype == subtype) return {row.media_type, row.raw_format};
  // Any other four-character code names the raw format of that code.
  const Guid probe = fourcc_guid('A', 'A', 'A', 'A');
  if (subtype.data2 == probe.data2 && subtype.data3 == probe.data3 && subtype.data4 == probe.data4) {
    std::string code;
    for (int i = 0; i < 4; ++i) code += static_cast<char>((subtype.data1 >> (8 * i)) & 0xFF);
    if (gst_video_format_from_string(code.c_str()) != GST_VIDEO_FORMAT_UNKNOWN) return {"video/x-raw", code};
  }
  return {};
}

std::int64_t frame_interval(int num, int den) {
  if (num <= 0 || den <= 0) return 0;
  return static_cast<std::int64_t>(std::llround(kHundredNs * den / num));
}

std::vector<VideoCapabilityEntry> video_capabilities(const GstCaps* device_caps) {
  std::vector<VideoCapabilityEntry> out;
  if (!device_caps || gst_caps_is_any(device_caps)) return out;
  // One entry per media type, pixel format and size; rates are gathered into its range.
  struct Group {
    std::string media, raw;
    int w, h;
    Rates rates;
    bool first = true;
  };
  std::vector<Group> groups;
  CapsPtr normal(gst_caps_normalize(gst_caps_copy(device_caps)));
  for (guint i = 0; i < gst_caps_get_size(normal.get()); ++i) {
    const GstStructure* s = gst_caps_get_structure(normal.get(), i);
    std::string media = gst_structure_get_name(s);
    if (media != "video/x-raw" && media != "image/jpeg" && media != "video/x-dv") continue;
    std::string raw = media == "video/x-raw" ? field_string(s, "format") : "";
    int w = field_int(s, "width"), h = field_int(s, "height");
    if (w <= 0 || h <= 0) continue;
    auto it = std::find_if(groups.begin(), groups.end(), [&](const Group& g) {
      return std::tie(g.media, g.raw, g.w, g.h) == std::tie(media, raw, w, h);
    });
    if (it == groups.end()) it = groups.insert(groups.end(), Group{media, raw, w, h, {}, true});
    if (const GValue* fr = gst_structure_get_value(s, "framerate")) add_rate_value(fr, it->rates, it->first);
  }
  for (const auto& g : groups) {
    VideoCapabilityEntry e;
    e.format.major_type = guids::MEDIATYPE_Video;
    e.format.subtype = subtype_for(g.media, g.raw);
    e.format.format_type = guids::FORMAT_VideoInfo;
    e.format.width = g.w;
    e.format.height = g.h;
    e.format.bit_count = video_bit_count(g.media, g.raw, g.w, g.h);
    if (g.rates.preferred > 0) e.format.avg_time_per_frame = std::llround(kHundredNs / g.rates.preferred);
    if (g.rates.max > 0) e.capability.min_frame_interval = std::llround(kHundredNs / g.rates.max);
    if (g.rates.min > 0) e.capability.max_frame_interval = std::llround(kHundredNs / g.rates.min);
    out.push_back(e);
  }
  return out;
}

std::vector<AudioCapabilityEntry> audio_capabilities(const GstCaps* device_caps) {
  std::vector<AudioCapabilityEntry> out;
  if (!device_caps || gst_caps_is_any(device_caps)) return out;
  static const int kRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
  CapsPtr normal(gst_caps_normalize(gst_caps_copy(device_caps)));
  for (guint i = 0; i < gst_caps_get_size(normal.get()); ++i) {
    const GstStructure* s = gst_caps_get_structure(normal.get(), i);
    if (std::strcmp(gst_structure_get_name(s), "audio/x-raw") != 0) continue;
    const std::string raw = field_string(s, "format");
    const int bits = audio_bits(raw);
    if (bits == 0 || raw.find("BE") != std::string::npos) continue;
    std::vector<int> rates, channels;
    const GValue* rv = gst_structure_get_value(s, "rate");
    const GValue* cv = gst_structure_get_value(s, "channels");
    if (!rv || !cv) continue;
    if (G_VALUE_HOLDS_INT(rv)) rates.push_back(g_value_get_int(rv));
    else if (GST_VALUE_HOLDS_INT_RANGE(rv))
      for (int r : kRates)
        if (r >= gst_value_get_int_range_min(rv) && r <= gst_value_get_int_range_max(rv)) rates.push_back(r);
    if (G_VALUE_HOLDS_INT(cv)) channels.push_back(g_value_get_int(cv));
    else if (GST_VALUE_HOLDS_INT_RANGE(cv))
      for (int c : {1, 2})
        if (c >= gst_value_get_int_range_min(cv) && c <= gst_value_get_int_range_max(cv)) channels.push_back(c);
    for (int r : rates)
      for (int c : channels) {
        AudioCapabilityEntry e;
        e.format.major_type = guids::MEDIATYPE_Audio;
        e.format.subtype = guids::MEDIASUBTYPE_PCM;
        e.format.format_type = guids::FORMAT_WaveFormatEx;
        e.format.samples_per_sec = r;
        e.format.bits_per_sample = bits;
        e.format.channels = c;
        e.format.avg_bytes_per_sec = r * c * bits / 8;
        const bool dup =
            std::any_of(out.begin(), out.end(), [&](const AudioCapabilityEntry& o) { return o.format == e.format; });
        if (!dup) out.push_back(e);
      }
  }
  return out;
}

MediaFormat video_format_from_caps(const GstCaps* caps) {
  MediaFormat f;
  if (!caps || gst_caps_get_size(caps) == 0 || gst_caps_is_any(caps)) return f;
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  const std::string media = gst_structure_get_name(s);
  const std::string raw = media == "video/x-raw" ? field_string(s, "format") : "";
  f.major_type = guids::MEDIATYPE_Video;
  f.subtype = subtype_for(media, raw);
  f.format_type = guids::FORMAT_VideoInfo;
  f.width = field_int(s, "width");
  f.height = field_int(s, "height");
  f.bit_count = video_bit_count(media, raw, f.width, f.height);
  int n = 0, d = 0;
  if (gst_structure_get_fraction(s, "framerate", &n, &d)) f.avg_time_per_frame = frame_interval(n, d);
  return f;
}

MediaFormat audio_format_from_caps(const GstCaps* caps) {
  MediaFormat f;
  if (!caps || gst_caps_get_size(caps) == 0 || gst_caps_is_any(caps)) return f;
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  if (std::strcmp(gst_structure_get_name(s), "audio/x-raw") != 0) return f;
  int rate = 0, channels = 0;
  gst_structure_get_int(s, "rate", &rate);
  gst_structure_get_int(s, "channels", &channels);
  f.major_type = guids::MEDIATYPE_Audio;
  f.subtype = guids::MEDIASUBTYPE_PCM;
  f.format_type = guids::FORMAT_WaveFormatEx;
  f.samples_per_sec = rate;
  f.channels = channels;
  f.bits_per_sample = audio_bits(field_string(s, "format"));
  f.avg_bytes_per_sec = rate * channels * f.bits_per_sample / 8;
  return f;
}

CapsPtr caps_selecting_video(const MediaFormat& format, const GstCaps* device_caps) {
  const GstFormatName name = format_for_subtype(format.subtype);
  if (name.media_type.empty() || format.width <= 0 || format.height <= 0 || !device_caps) return nullptr;
  GstStructure* s = gst_structure_new(name.media_type.c_str(), "width", G_TYPE_INT, std::abs(format.width), "height",
                                      G_TYPE_INT, std::abs(format.height), nullptr);
  if (!name.raw_format.empty()) gst_structure_set(s, "format", G_TYPE_STRING, name.raw_format.c_str(), nullptr);
  GstCaps* wanted = gst_caps_new_full(s, nullptr);
  CapsPtr both(gst_caps_intersect(wanted, const_cast<GstCaps*>(device_caps)));
  gst_caps_unref(wanted);
  if (gst_caps_is_empty(both.get())) return nullptr;
  if (format.avg_time_per_frame <= 0) return CapsPtr(gst_caps_fixate(both.release()));
  // A frame interval in 100 ns units is not exact (15 fps is 666 667): take the camera's own rate
  // that it stands for.
  const double rate = kHundredNs / static_cast<double>(format.avg_time_per_frame);
  CapsPtr normal(gst_caps_normalize(both.release()));
  for (guint i = 0; i < gst_caps_get_size(normal.get()); ++i) {
    GstStructure* st = gst_caps_get_structure(normal.get(), i);
    const GValue* fr = gst_structure_get_value(st, "framerate");
    int n = 0, d = 1;
    if (!fr) continue;
    if (GST_VALUE_HOLDS_FRACTION(fr)) {
      n = gst_value_get_fraction_numerator(fr);
      d = gst_value_get_fraction_denominator(fr);
      if (n <= 0 || d <= 0 || std::abs(static_cast<double>(n) / d - rate) > rate * 1e-4) continue;
    } else if (GST_VALUE_HOLDS_FRACTION_RANGE(fr)) {
      gst_util_double_to_fraction(rate, &n, &d);
      GValue one = G_VALUE_INIT;
      g_value_init(&one, GST_TYPE_FRACTION);
      gst_value_set_fraction(&one, n, d);
      const bool inside = gst_value_can_intersect(&one, fr) && gst_value_intersect(nullptr, &one, fr);
      g_value_unset(&one);
      if (!inside) continue;
    } else {
      continue;
    }
    GstStructure* chosen = gst_structure_copy(st);
    gst_structure_set(chosen, "framerate", GST_TYPE_FRACTION, n, d, nullptr);
    return CapsPtr(gst_caps_fixate(gst_caps_new_full(chosen, nullptr)));
  }
  return nullptr;
}

CapsPtr caps_selecting_audio(const MediaFormat& format, const GstCaps* device_caps) {
  if (!(format.subtype == guids::MEDIASUBTYPE_PCM) || format.samples_per_sec <= 0 || format.channels <= 0 ||
      !device_caps)
    return nullptr;
  const char* raw = format.bits_per_sample == 8    ? "U8"
                    : format.bits_per_sample == 16 ? "S16LE"
                    : format.bits_per_sample == 24 ? "S24LE"
                    : format.bits_per_sample == 32 ? "S32LE"
                                                   : nullptr;
  if (!raw) return nullptr;
  GstCaps* wanted = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, raw, "rate", G_TYPE_INT,
                                        format.samples_per_sec, "channels", G_TYPE_INT, format.channels, nullptr);
  CapsPtr both(gst_caps_intersect(wanted, const_cast<GstCaps*>(device_caps)));
  gst_caps_unref(wanted);
  if (gst_caps_is_empty(both.get())) return nullptr;
  return CapsPtr(gst_caps_fixate(both.release()));
}

}  // namespace wellvue::gst
