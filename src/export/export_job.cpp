#include "export/export_job.h"

#include <fstream>
#include <sstream>

#include "export/burn_texts.h"
#include "export/export_error.h"
#include "export/export_output.h"
#include "export/matroska_header.h"
#include "export/mp4_header.h"
#include "recording/depth_record.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/file_error.h"

namespace wellvue::exporting {
namespace {

namespace fs = std::filesystem;

std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ExportError("lecture impossible : " + path.string());
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The recording ended about when its AVI was last written.
std::optional<LocalDateTime> start_from_file_time(const fs::path& avi, std::int64_t duration_ms) {
  std::error_code ec;
  const auto written = fs::last_write_time(avi, ec);
  if (ec) return std::nullopt;
  const auto system = std::chrono::file_clock::to_sys(written);
  return to_local(std::chrono::time_point_cast<std::chrono::system_clock::duration>(system) -
                  std::chrono::milliseconds(duration_ms));
}

// The burned-in texts from the depth record where it reads. A damaged record does not stop the
// export: the depth track holds the same depths, bore and start, so the texts come from it and
// the operator is told why.
BurnSource burn_source(const RecordingInputs& inputs, const std::vector<Cue>& depth, std::string& warning) {
  BurnSource source = burn_source_from_track(depth);
  if (inputs.depth_record.empty()) return source;
  DepthRecord record;
  try {
    record = read_depth_record(inputs.depth_record.string());
  } catch (const FileError&) {
    throw ExportError("lecture impossible : " + inputs.depth_record.string());
  } catch (const ConversionError& e) {
    warning = inputs.depth_record.filename().string() + " : " + cp1252_to_utf8(e.what()) +
              " ; les textes incrustés viennent des sous-titres de profondeur";
    return source;
  }
  BurnSource from_record = burn_source_from_record(record);
  if (from_record.bore.empty()) from_record.bore = source.bore;
  if (!from_record.start) from_record.start = source.start;
  if (from_record.depths.empty()) from_record.depths = source.depths;
  return from_record;
}

}  // namespace

ExportPlan plan_export(const RecordingInputs& inputs, const VideoFacts& facts, const ExportOptions& options,
                       std::optional<LocalDateTime> fallback_start) {
  ExportPlan plan;
  plan.avi = inputs.avi;
  plan.format = options.format;
  plan.duration_ms = facts.duration_ms;
  plan.audio = facts.has_audio;
  const bool no_overlap = options.format == ExportFormat::Mp4;
  const auto depth = read_srt_cues(read_bytes(inputs.srt), TextEncoding::Cp1252);
  plan.tracks.push_back({kDepthTrackTitle, plan.language, cues_within(depth, facts.duration_ms, no_overlap), true});
  if (!inputs.observations.empty()) {
    auto obs =
        cues_within(read_srt_cues(read_bytes(inputs.observations), TextEncoding::Utf8), facts.duration_ms, no_overlap);
    if (!obs.empty()) plan.tracks.push_back({kObservationsTrackTitle, plan.language, std::move(obs), false});
  }
  std::string bore;
  if (options.burn) {
    BurnSource source = burn_source(inputs, depth, plan.warning);
    if (!source.start) source.start = fallback_start;
    plan.burn = burn_texts(source, facts.duration_ms);
    bore = source.bore;
  } else {
    bore = burn_source_from_track(depth).bore;
  }
  plan.title = bore.empty() ? inputs.avi.stem().string() : bore;
  return plan;
}

ExportResult run_export(const ExportOptions& options, ExportBackend& backend, const ProgressFn& progress,
                        const std::atomic<bool>& cancel) {
  ExportResult result;
  try {
    const RecordingInputs inputs = resolve_recording(options.recording);
    result.output = options.output.empty() ? default_output(inputs.avi, options.format) : fs::path(options.output);
    PendingOutput pending(result.output, options.replace);
    const VideoFacts facts = backend.probe(inputs.avi);
    ExportPlan plan = plan_export(inputs, facts, options, start_from_file_time(inputs.avi, facts.duration_ms));
    plan.output_fd = pending.fd();
    const PipelineOutcome outcome = backend.run(plan, progress, cancel);
    result.warning = plan.warning;
    result.status = outcome.status;
    result.message = outcome.message;
    if (outcome.status == ExportStatus::Cancelled) result.message = "export annulé";
    if (outcome.status != ExportStatus::Done) return result;  // the temporary file goes with `pending`
    // What the muxers cannot write: track names where players read them, the default track, and
    // in Matroska the file's title.
    const std::string problem = plan.format == ExportFormat::Mp4
                                    ? finish_mp4_text_tracks(pending.fd(), plan.tracks)
                                    : finish_matroska_head(pending.fd(), plan.title, plan.tracks);
    if (!problem.empty()) throw ExportError(problem);
    pending.publish();
    if (progress) progress(1.0);
  } catch (const ExportError& e) {
    result.status = ExportStatus::Failed;
    result.message = e.what();
  }
  return result;
}

}  // namespace wellvue::exporting
