// Enumerated capture devices and codecs: the four process-wide lists, their display names
// ("USB Camera (2)" for the second of a name) and the look-ups between names and devices.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "capture/graph_backend.h"

namespace wellvue {

class TCapDeviceInfo {
 public:
  TCapDeviceInfo(std::string friendly_name, std::string display_name, DeviceRef moniker)
      : FriendlyName(std::move(friendly_name)), DisplayName(std::move(display_name)), Moniker(std::move(moniker)) {}
  std::string FriendlyName;
  std::string DisplayName;
  DeviceRef Moniker;
};

using TCapDeviceList = std::vector<std::unique_ptr<TCapDeviceInfo>>;

// The four lists, one set per process, created empty at start.
TCapDeviceList& VideoDevices();
TCapDeviceList& AudioDevices();
TCapDeviceList& VideoCompressors();
TCapDeviceList& AudioCompressors();
TCapDeviceList& DeviceListOf(DeviceCategory category);

void EnumerateCategory(GraphBackend& backend, DeviceCategory category, TCapDeviceList& list);
void EnumerateAllDevices(GraphBackend& backend);
void ClearAllDevices();

// The DisplayNames of a category, enumerated first when `refresh` or when the list is empty.
std::vector<std::string> GetVideoDeviceNames(GraphBackend& backend, bool refresh);
std::vector<std::string> GetAudioDeviceNames(GraphBackend& backend, bool refresh);
std::vector<std::string> GetVideoCompressorNames(GraphBackend& backend, bool refresh);
std::vector<std::string> GetAudioCompressorNames(GraphBackend& backend, bool refresh);

// The device of the first entry whose DisplayName equals `name` (exact), or null.
DeviceRef FindMonikerByName(const TCapDeviceList& list, const std::string& name);
// The DisplayName of the first entry holding that very device object, or empty.
std::string FindNameByMoniker(const TCapDeviceList& list, const DeviceRef& moniker);

}  // namespace wellvue
