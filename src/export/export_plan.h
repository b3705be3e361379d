// What the encoding pipeline is given: the AVI, the open output file, the container, the named
// subtitle tracks and the burned-in texts, all timed on the video's clock; and what the pipeline
// reports back. The pipeline itself lives with the GStreamer backend.
#pragma once
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "export/export_options.h"
#include "export/subtitle_cues.h"

namespace wellvue::exporting {

struct SubtitleTrack {
  std::string title;     // "Profondeur", "Observations"
  std::string language;  // ISO 639-1
  std::vector<Cue> cues;
  bool by_default = false;  // the one track a player shows without being asked
};

inline constexpr const char* kDepthTrackTitle = "Profondeur";
inline constexpr const char* kObservationsTrackTitle = "Observations";

struct ExportPlan {
  std::filesystem::path avi;
  int output_fd = -1;  // written from its start, seekable
  ExportFormat format = ExportFormat::Matroska;
  std::string title;         // the file's own title: the bore's name (the recording's without one), UTF-8
  std::string language = "fr";  // ISO 639-1, of the video too: its burned-in texts and what it shows
  std::vector<SubtitleTrack> tracks;
  std::vector<Cue> burn;         // empty: nothing drawn into the picture
  std::int64_t duration_ms = 0;  // of the AVI, for the progress
  bool audio = false;            // the AVI has sound to carry over
  std::string warning;           // French, UTF-8: why the burned-in texts left the depth record
};

// What the pipeline learns of the AVI before encoding it.
struct VideoFacts {
  std::int64_t duration_ms = 0;
  bool has_audio = false;
};

// Fraction done, 0 to 1.
using ProgressFn = std::function<void(double)>;

enum class ExportStatus { Done, Cancelled, Failed };

struct PipelineOutcome {
  ExportStatus status = ExportStatus::Failed;
  std::string message;  // French, UTF-8, on failure
};

class ExportBackend {
 public:
  virtual ~ExportBackend() = default;
  // Raises ExportError (French text) when the AVI cannot be read.
  virtual VideoFacts probe(const std::filesystem::path& avi) = 0;
  // Encodes as fast as it can; returns Cancelled soon after `cancel` becomes true.
  virtual PipelineOutcome run(const ExportPlan& plan, const ProgressFn& progress, const std::atomic<bool>& cancel) = 0;
};

}  // namespace wellvue::exporting
