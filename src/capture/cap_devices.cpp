#include "capture/cap_devices.h"

#include <cstdio>

namespace wellvue {
namespace {

struct Lists {
  TCapDeviceList video, audio, video_comp, audio_comp;
};

Lists& lists() {
  static Lists l;
  return l;
}

// Blanks and control characters, as the trim of a friendly name removes them.
bool blank_name(const std::string& s) {
  for (unsigned char c : s)
    if (c > ' ') return false;
  return true;
}

std::vector<std::string> names_of(GraphBackend& backend, DeviceCategory category, bool refresh) {
  TCapDeviceList& list = DeviceListOf(category);
  if (refresh || list.empty()) EnumerateCategory(backend, category, list);
  std::vector<std::string> names;
  names.reserve(list.size());
  for (const auto& e : list) names.push_back(e->DisplayName);
  return names;
}

}  // namespace

TCapDeviceList& VideoDevices() { return lists().video; }
TCapDeviceList& AudioDevices() { return lists().audio; }
TCapDeviceList& VideoCompressors() { return lists().video_comp; }
TCapDeviceList& AudioCompressors() { return lists().audio_comp; }

TCapDeviceList& DeviceListOf(DeviceCategory category) {
  switch (category) {
    case DeviceCategory::VideoInput:
      return VideoDevices();
    case DeviceCategory::AudioInput:
      return AudioDevices();
    case DeviceCategory::VideoCompressor:
      return VideoCompressors();
    case DeviceCategory::AudioCompressor:
      break;
  }
  return AudioCompressors();
}

void EnumerateCategory(GraphBackend& backend, DeviceCategory category, TCapDeviceList& list) {
  list.clear();
  for (auto& entry : backend.enumerate_devices(category)) {
    if (!entry.device || blank_name(entry.friendly_name)) continue;
    int n = 1;
    for (const auto& e : list)
      if (e->FriendlyName == entry.friendly_name) ++n;
    std::string display = entry.friendly_name;
    if (n > 1) {
      char buf[24];
      std::snprintf(buf, sizeof buf, " (%d)", n);
      display += buf;
    }
    list.push_back(std::make_unique<TCapDeviceInfo>(entry.friendly_name, display, entry.device));
  }
}

void EnumerateAllDevices(GraphBackend& backend) {
  EnumerateCategory(backend, DeviceCategory::VideoInput, VideoDevices());
  EnumerateCategory(backend, DeviceCategory::AudioInput, AudioDevices());
  EnumerateCategory(backend, DeviceCategory::VideoCompressor, VideoCompressors());
  EnumerateCategory(backend, DeviceCategory::AudioCompressor, AudioCompressors());
}

void ClearAllDevices() {
  VideoDevices().clear();
  AudioDevices().clear();
  VideoCompressors().clear();
  AudioCompressors().clear();
}

std::vector<std::string> GetVideoDeviceNames(GraphBackend& b, bool refresh) {
  return names_of(b, DeviceCategory::VideoInput, refresh);
}
std::vector<std::string> GetAudioDeviceNames(GraphBackend& b, bool refresh) {
  return names_of(b, DeviceCategory::AudioInput, refresh);
}
std::vector<std::string> GetVideoCompressorNames(GraphBackend& b, bool refresh) {
  return names_of(b, DeviceCategory::VideoCompressor, refresh);
}
std::vector<std::string> GetAudioCompressorNames(GraphBackend& b, bool refresh) {
  return names_of(b, DeviceCategory::AudioCompressor, refresh);
}

DeviceRef FindMonikerByName(const TCapDeviceList& list, const std::string& name) {
  for (const auto& e : list)
    if (e->DisplayName == name) return e->Moniker;
  return nullptr;
}

std::string FindNameByMoniker(const TCapDeviceList& list, const DeviceRef& moniker) {
  if (!moniker) return {};
  for (const auto& e : list)
    if (e->Moniker == moniker) return e->DisplayName;
  return {};
}

}  // namespace wellvue
