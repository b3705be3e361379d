// The capture devices of the machine as GStreamer's device monitor sees them (video and audio
// sources), with the monitor kept running so the same device objects come back each time and
// removals are noticed.
#pragma once
#include <gst/gst.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "capture/gst/gst_ptr.h"

namespace wellvue::gst {

struct MonitoredDevice {
  std::string name;  // display name as the platform gives it
  ObjectRef<GstDevice> device;
};

class DeviceCatalog {
 public:
  // The process-wide catalog; its monitor starts on first use.
  static DeviceCatalog& instance();

  std::vector<MonitoredDevice> video_sources();
  std::vector<MonitoredDevice> audio_sources();

  // Called on a GStreamer thread when a device goes away; the callback must only post.
  using RemovedListener = std::function<void(GstDevice*)>;
  int add_removed_listener(RemovedListener listener);
  void remove_removed_listener(int id);

  DeviceCatalog(const DeviceCatalog&) = delete;
  DeviceCatalog& operator=(const DeviceCatalog&) = delete;

 private:
  DeviceCatalog() = default;
  ~DeviceCatalog() = default;
  std::vector<MonitoredDevice> devices_of(const char* klass);
  void ensure_monitor();  // caller holds mutex_
  static GstBusSyncReply on_bus(GstBus* bus, GstMessage* msg, gpointer self);

  std::mutex mutex_;
  GstDeviceMonitor* monitor_ = nullptr;  // lives for the whole process
  bool monitor_has_test_device_ = false;
  std::mutex listeners_mutex_;
  std::vector<std::pair<int, RemovedListener>> listeners_;
  int next_id_ = 1;
};

}  // namespace wellvue::gst
