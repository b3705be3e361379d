#include "capture/gst/device_catalog.h"

#include "capture/gst/gst_runtime.h"
#include "capture/gst/test_pattern_device.h"

namespace wellvue::gst {

DeviceCatalog& DeviceCatalog::instance() {
  // Never destroyed: the monitor's threads may still post while static objects are torn down.
  static auto* catalog = new DeviceCatalog;
  return *catalog;
}

void DeviceCatalog::ensure_monitor() {
  // A test device registered after the monitor started is only seen by a new monitor.
  const bool with_test = test_pattern_device_registered();
  if (monitor_ && monitor_has_test_device_ == with_test) return;
  if (monitor_) {
    gst_device_monitor_stop(monitor_);
    GstBus* old_bus = gst_device_monitor_get_bus(monitor_);
    gst_bus_set_sync_handler(old_bus, nullptr, nullptr, nullptr);
    gst_object_unref(old_bus);
    gst_object_unref(monitor_);
    monitor_ = nullptr;
  }
  if (!ensure_gstreamer()) return;
  monitor_ = gst_device_monitor_new();
  gst_device_monitor_add_filter(monitor_, "Video/Source", nullptr);
  gst_device_monitor_add_filter(monitor_, "Audio/Source", nullptr);
  GstBus* bus = gst_device_monitor_get_bus(monitor_);
  gst_bus_set_sync_handler(bus, &DeviceCatalog::on_bus, this, nullptr);
  gst_object_unref(bus);
  gst_device_monitor_start(monitor_);
  monitor_has_test_device_ = with_test;
}

GstBusSyncReply DeviceCatalog::on_bus(GstBus*, GstMessage* msg, gpointer self) {
  if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_DEVICE_REMOVED) {
    GstDevice* device = nullptr;
    gst_message_parse_device_removed(msg, &device);
    auto* catalog = static_cast<DeviceCatalog*>(self);
    std::vector<RemovedListener> listeners;
    {
      std::lock_guard lock(catalog->listeners_mutex_);
      for (auto& [id, l] : catalog->listeners_) listeners.push_back(l);
    }
    for (auto& l : listeners) l(device);
    if (device) gst_object_unref(device);
  }
  gst_message_unref(msg);
  return GST_BUS_DROP;
}

std::vector<MonitoredDevice> DeviceCatalog::devices_of(const char* klass) {
  std::lock_guard lock(mutex_);
  ensure_monitor();
  std::vector<MonitoredDevice> out;
  if (!monitor_) return out;
  GList* list = gst_device_monitor_get_devices(monitor_);
  for (GList* item = list; item; item = item->next) {
    auto* device = GST_DEVICE(item->data);
    if (gst_device_has_classes(device, klass))
      out.push_back({take_string(gst_device_get_display_name(device)), ObjectRef<GstDevice>::share(device)});
  }
  g_list_free_full(list, gst_object_unref);
  return out;
}

std::vector<MonitoredDevice> DeviceCatalog::video_sources() { return devices_of("Video/Source"); }
std::vector<MonitoredDevice> DeviceCatalog::audio_sources() { return devices_of("Audio/Source"); }

int DeviceCatalog::add_removed_listener(RemovedListener listener) {
  std::lock_guard lock(listeners_mutex_);
  const int id = next_id_++;
  listeners_.emplace_back(id, std::move(listener));
  return id;
}

void DeviceCatalog::remove_removed_listener(int id) {
  std::lock_guard lock(listeners_mutex_);
  std::erase_if(listeners_, [id](const auto& p) { return p.first == id; });
}

}  // namespace wellvue::gst
