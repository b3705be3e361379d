// One export from the recording's files to the finished file under its final name: the
// command-line tool and the review window both run it, each with its own progress display.
#pragma once
#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "export/export_options.h"
#include "export/export_plan.h"
#include "export/recording_inputs.h"
#include "util/date_time.h"

namespace wellvue::exporting {

struct ExportResult {
  ExportStatus status = ExportStatus::Failed;
  std::filesystem::path output;  // the file written (Done) or that would have been
  std::string message;           // French, UTF-8, when not Done
  std::string warning;           // French, UTF-8: a file read otherwise than asked, empty when none
};

// The plan's tracks and burned-in texts for a video of facts.duration_ms. `fallback_start` is
// the date-time of the first frame when neither the depth record nor the track's title says it.
ExportPlan plan_export(const RecordingInputs& inputs, const VideoFacts& facts, const ExportOptions& options,
                       std::optional<LocalDateTime> fallback_start);

// Resolves the recording, checks the output name, encodes into a temporary file and renames it
// to the output at the end. Nothing is left under the output name unless Done.
ExportResult run_export(const ExportOptions& options, ExportBackend& backend, const ProgressFn& progress,
                        const std::atomic<bool>& cancel);

}  // namespace wellvue::exporting
