// The GStreamer side of an export: the AVI decoded, drawn on when burning, encoded to H.264
// (x264, openh264 when x264 is missing) and muxed with its named subtitle tracks and its audio
// into Matroska or MP4, as fast as the machine goes.
#pragma once
#include <atomic>
#include <filesystem>
#include <string>

#include "export/export_plan.h"

namespace wellvue::gst {

class GstExportBackend : public exporting::ExportBackend {
 public:
  exporting::VideoFacts probe(const std::filesystem::path& avi) override;
  exporting::PipelineOutcome run(const exporting::ExportPlan& plan, const exporting::ProgressFn& progress,
                                 const std::atomic<bool>& cancel) override;
};

// The H.264 encoder factory the export uses ("x264enc", "openh264enc"); empty when neither is
// installed.
std::string export_video_encoder();

}  // namespace wellvue::gst
