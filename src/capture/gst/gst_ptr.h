// Owning handles for GStreamer and GLib objects, so every reference taken in the backend is
// released on every path.
#pragma once
#include <gst/gst.h>

#include <memory>
#include <string>
#include <utility>

namespace wellvue::gst {

// A counted reference to a GstObject (element, pad, bus, device...).
template <typename T>
class ObjectRef {
 public:
  ObjectRef() = default;
  // Takes over one reference the caller owns.
  static ObjectRef adopt(T* p) {
    ObjectRef r;
    r.p_ = p;
    return r;
  }
  // Takes a new reference (sinking a floating one).
  static ObjectRef share(T* p) {
    ObjectRef r;
    if (p) r.p_ = static_cast<T*>(gst_object_ref_sink(GST_OBJECT(p)));
    return r;
  }
  ObjectRef(const ObjectRef& o) : p_(o.p_ ? static_cast<T*>(gst_object_ref(GST_OBJECT(o.p_))) : nullptr) {}
  ObjectRef(ObjectRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ObjectRef& operator=(ObjectRef o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ObjectRef() { reset(); }
  void reset() {
    if (p_) gst_object_unref(GST_OBJECT(p_));
    p_ = nullptr;
  }
  T* get() const { return p_; }
  T* release() { return std::exchange(p_, nullptr); }
  explicit operator bool() const { return p_ != nullptr; }
  bool operator==(const ObjectRef& o) const { return p_ == o.p_; }

 private:
  T* p_ = nullptr;
};

struct CapsUnref {
  void operator()(GstCaps* c) const { gst_caps_unref(c); }
};
using CapsPtr = std::unique_ptr<GstCaps, CapsUnref>;

struct MessageUnref {
  void operator()(GstMessage* m) const { gst_message_unref(m); }
};
using MessagePtr = std::unique_ptr<GstMessage, MessageUnref>;

// A g_malloc'd string turned into std::string (nullptr gives the empty text).
inline std::string take_string(gchar* s) {
  std::string out = s ? s : "";
  g_free(s);
  return out;
}

}  // namespace wellvue::gst
