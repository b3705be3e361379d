// Translation between GStreamer caps and the engine's media formats: a device's caps become its
// capability list (one entry per pixel format and size, with its frame-rate range), a chosen
// format becomes the caps that select it on the device.
#pragma once
#include <gst/gst.h>

#include <string>
#include <vector>

#include "capture/gst/gst_ptr.h"
#include "capture/media_format.h"

namespace wellvue::gst {

struct VideoCapabilityEntry {
  MediaFormat format;          // its avg_time_per_frame is the device's preferred rate
  VideoCapability capability;  // allowed frame interval range
};

struct AudioCapabilityEntry {
  MediaFormat format;
};

// The subtype for a GStreamer media type name and raw format ("video/x-raw" + "YUY2",
// "image/jpeg"); null when there is no well-known subtype.
Guid subtype_for(const std::string& media_type, const std::string& raw_format);
// The reverse: media type name and raw format for a subtype (empty strings when unknown).
struct GstFormatName {
  std::string media_type;
  std::string raw_format;
};
GstFormatName format_for_subtype(const Guid& subtype);

std::vector<VideoCapabilityEntry> video_capabilities(const GstCaps* device_caps);
std::vector<AudioCapabilityEntry> audio_capabilities(const GstCaps* device_caps);

// The format of fixed caps (a running stream's current format).
MediaFormat video_format_from_caps(const GstCaps* caps);
MediaFormat audio_format_from_caps(const GstCaps* caps);

// Caps that select the format on a device with these caps; null when the device cannot give it.
CapsPtr caps_selecting_video(const MediaFormat& format, const GstCaps* device_caps);
CapsPtr caps_selecting_audio(const MediaFormat& format, const GstCaps* device_caps);

// 100 ns frame interval of a rate given as a fraction (0 when the rate is 0 or invalid).
std::int64_t frame_interval(int num, int den);

}  // namespace wellvue::gst
