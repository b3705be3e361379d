#include "capture/gst/test_pattern_device.h"

#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "capture/gst/gst_runtime.h"

namespace {

// Camera-like modes: the default one first, then a second pixel format and a smaller size.
constexpr const char* kCaps =
    "video/x-raw, format=(string)YUY2, width=(int)640, height=(int)480, "
    "framerate=(fraction){ 25/1, 15/1, 10/1 }; "
    "video/x-raw, format=(string)I420, width=(int)640, height=(int)480, "
    "framerate=(fraction){ 25/1, 15/1, 10/1 }; "
    "video/x-raw, format=(string)YUY2, width=(int)320, height=(int)240, "
    "framerate=(fraction){ 25/1, 15/1, 10/1 }";

std::mutex g_mutex;
std::vector<GstElement*> g_sources;  // live sources, tracked by weak reference
std::atomic<bool> g_frozen{false};
std::atomic<bool> g_unplugged{false};
GstDeviceProvider* g_provider = nullptr;  // the started provider (not owned)
GstDevice* g_device = nullptr;            // the device it announced (owned by the provider)
bool g_registered = false;

void forget_source(gpointer, GObject* gone) {
  std::lock_guard lock(g_mutex);
  auto it = std::find(g_sources.begin(), g_sources.end(), reinterpret_cast<GstElement*>(gone));
  if (it != g_sources.end()) g_sources.erase(it);
}

GstPadProbeReturn gate_frames(GstPad*, GstPadProbeInfo*, gpointer) {
  return (g_frozen.load() || g_unplugged.load()) ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
}

}  // namespace

extern "C" {

struct WvTestDevice {
  GstDevice parent;
};
struct WvTestDeviceClass {
  GstDeviceClass parent_class;
};
struct WvTestProvider {
  GstDeviceProvider parent;
};
struct WvTestProviderClass {
  GstDeviceProviderClass parent_class;
};

G_DEFINE_TYPE(WvTestDevice, wv_test_device, GST_TYPE_DEVICE)
G_DEFINE_TYPE(WvTestProvider, wv_test_provider, GST_TYPE_DEVICE_PROVIDER)

static GstElement* wv_test_device_create_element(GstDevice*, const gchar* name) {
  GstElement* src = gst_element_factory_make("videotestsrc", name);
  if (!src) return nullptr;
  g_object_set(src, "is-live", TRUE, "horizontal-speed", 2, nullptr);
  gst_util_set_object_arg(G_OBJECT(src), "pattern", "smpte");
  GstPad* pad = gst_element_get_static_pad(src, "src");
  gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, gate_frames, nullptr, nullptr);
  gst_object_unref(pad);
  {
    std::lock_guard lock(g_mutex);
    g_sources.push_back(src);
  }
  g_object_weak_ref(G_OBJECT(src), forget_source, nullptr);
  return src;
}

static void wv_test_device_class_init(WvTestDeviceClass* klass) {
  GST_DEVICE_CLASS(klass)->create_element = wv_test_device_create_element;
}
static void wv_test_device_init(WvTestDevice*) {}

static GstDevice* wv_new_test_device() {
  GstCaps* caps = gst_caps_from_string(kCaps);
  GstStructure* props =
      gst_structure_new("wellvue-test-pattern", "device.path", G_TYPE_STRING, "wellvue:test-pattern", nullptr);
  auto* device =
      static_cast<GstDevice*>(g_object_new(wv_test_device_get_type(), "display-name", wellvue::gst::kTestPatternName,
                                           "caps", caps, "device-class", "Video/Source", "properties", props, nullptr));
  gst_caps_unref(caps);
  gst_structure_free(props);
  return device;
}

static GList* wv_test_provider_probe(GstDeviceProvider*) {
  if (g_unplugged.load()) return nullptr;
  return g_list_append(nullptr, wv_new_test_device());
}

static gboolean wv_test_provider_start(GstDeviceProvider* provider) {
  std::lock_guard lock(g_mutex);
  g_provider = provider;
  if (!g_unplugged.load()) {
    g_device = wv_new_test_device();
    gst_device_provider_device_add(provider, g_device);
  }
  return TRUE;
}

static void wv_test_provider_stop(GstDeviceProvider*) {
  std::lock_guard lock(g_mutex);
  g_provider = nullptr;
  g_device = nullptr;
}

static void wv_test_provider_class_init(WvTestProviderClass* klass) {
  auto* dp = GST_DEVICE_PROVIDER_CLASS(klass);
  dp->probe = wv_test_provider_probe;
  dp->start = wv_test_provider_start;
  dp->stop = wv_test_provider_stop;
  gst_device_provider_class_set_static_metadata(dp, "Wellvue test pattern", "Video/Source",
                                                "Moving test picture offered as a camera", "Wellvue");
}
static void wv_test_provider_init(WvTestProvider*) {}

static gboolean wv_test_plugin_init(GstPlugin* plugin) {
  return gst_device_provider_register(plugin, "wellvuetestpattern", GST_RANK_PRIMARY, wv_test_provider_get_type());
}

}  // extern "C"

namespace wellvue::gst {

bool register_test_pattern_device() {
  if (!ensure_gstreamer()) return false;
  std::lock_guard lock(g_mutex);
  if (!g_registered) {
    g_registered = gst_plugin_register_static(GST_VERSION_MAJOR, GST_VERSION_MINOR, "wellvuetestpattern",
                                              "Wellvue test pattern camera", wv_test_plugin_init, "0.1", "LGPL",
                                              "wellvue", "wellvue", "https://wellvue.invalid");
  }
  return g_registered;
}

bool test_pattern_device_registered() {
  std::lock_guard lock(g_mutex);
  return g_registered;
}

void unplug_test_pattern_device() {
  std::vector<GstElement*> sources;
  GstDeviceProvider* provider = nullptr;
  GstDevice* device = nullptr;
  {
    std::lock_guard lock(g_mutex);
    g_unplugged = true;
    for (GstElement* s : g_sources) sources.push_back(GST_ELEMENT(gst_object_ref(s)));
    if (g_provider && g_device) {
      provider = GST_DEVICE_PROVIDER(gst_object_ref(g_provider));
      device = GST_DEVICE(gst_object_ref(g_device));
      g_device = nullptr;
    }
  }
  if (provider) {
    gst_device_provider_device_remove(provider, device);
    gst_object_unref(device);
    gst_object_unref(provider);
  }
  for (GstElement* s : sources) {
    gst_element_message_full(s, GST_MESSAGE_ERROR, GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ,
                             g_strdup("Le périphérique vidéo a disparu."), g_strdup("test pattern camera unplugged"),
                             __FILE__, G_STRFUNC, __LINE__);
    gst_object_unref(s);
  }
}

void replug_test_pattern_device() {
  GstDeviceProvider* provider = nullptr;
  GstDevice* device = nullptr;
  {
    std::lock_guard lock(g_mutex);
    if (!g_unplugged) return;
    g_unplugged = false;
    if (g_provider) {
      provider = GST_DEVICE_PROVIDER(gst_object_ref(g_provider));
      g_device = device = wv_new_test_device();
    }
  }
  if (provider) {
    gst_device_provider_device_add(provider, device);
    gst_object_unref(provider);
  }
}

void freeze_test_pattern_sources(bool frozen) { g_frozen = frozen; }

}  // namespace wellvue::gst
