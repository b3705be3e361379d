#include "capture/gst/gst_filter.h"

namespace wellvue::gst {

GstFilter::~GstFilter() {
  for (GstElement* e : elements) gst_object_unref(e);
}

GstPad* GstFilter::new_output() {
  if (tee) return gst_element_request_pad_simple(tee, "src_%u");
  if (elements.empty()) return nullptr;
  return gst_element_get_static_pad(elements.back(), "src");
}

std::shared_ptr<GstFilter> as_gst(const FilterRef& f) { return std::dynamic_pointer_cast<GstFilter>(f); }

}  // namespace wellvue::gst
