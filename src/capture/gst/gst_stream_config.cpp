#include "capture/gst/gst_stream_config.h"

#include "capture/gst/caps_formats.h"

namespace wellvue::gst {
namespace {

constexpr HResult VFW_E_INVALIDMEDIATYPE = static_cast<HResult>(0x80040200u);

std::vector<MediaFormat> formats_of(const GstFilter& f, std::vector<VideoCapability>* caps = nullptr) {
  std::vector<MediaFormat> out;
  if (f.role == FilterRole::VideoSource) {
    for (const auto& e : video_capabilities(f.device_caps.get())) {
      out.push_back(e.format);
      if (caps) caps->push_back(e.capability);
    }
  } else {
    for (const auto& e : audio_capabilities(f.device_caps.get())) {
      out.push_back(e.format);
      if (caps) caps->push_back({});
    }
  }
  return out;
}

}  // namespace

void select_default_format(GstFilter& source) {
  const auto formats = formats_of(source);
  if (formats.empty() || !source.capsfilter) return;
  CapsPtr caps = source.role == FilterRole::VideoSource
                     ? caps_selecting_video(formats.front(), source.device_caps.get())
                     : caps_selecting_audio(formats.front(), source.device_caps.get());
  if (caps) g_object_set(source.capsfilter, "caps", caps.get(), nullptr);
}

HResult GstStreamConfig::get_number_of_capabilities(int& count) {
  count = static_cast<int>(formats_of(*source_).size());
  return S_OK;
}

HResult GstStreamConfig::get_stream_caps(int index, MediaFormat& format, VideoCapability& capability) {
  std::vector<VideoCapability> caps;
  const auto formats = formats_of(*source_, &caps);
  if (index < 0 || index >= static_cast<int>(formats.size())) return S_FALSE;
  format = formats[static_cast<size_t>(index)];
  capability = caps[static_cast<size_t>(index)];
  return S_OK;
}

HResult GstStreamConfig::get_format(MediaFormat& format) {
  if (!source_->capsfilter) return E_FAIL;
  GstCaps* caps = nullptr;
  g_object_get(source_->capsfilter, "caps", &caps, nullptr);
  CapsPtr held(caps);
  if (!caps || gst_caps_is_any(caps) || gst_caps_is_empty(caps)) return E_FAIL;
  format = video() ? video_format_from_caps(caps) : audio_format_from_caps(caps);
  return S_OK;
}

HResult GstStreamConfig::set_format(const MediaFormat& format) {
  if (!source_->capsfilter) return E_FAIL;
  CapsPtr caps = video() ? caps_selecting_video(format, source_->device_caps.get())
                         : caps_selecting_audio(format, source_->device_caps.get());
  if (!caps) return VFW_E_INVALIDMEDIATYPE;
  g_object_set(source_->capsfilter, "caps", caps.get(), nullptr);
  return S_OK;
}

}  // namespace wellvue::gst
