#include "review/review_recording.h"

#include <exception>
#include <filesystem>

#include "recording/depth_record.h"
#include "recording/recording_names.h"
#include "util/numbers.h"
#include "util/text_file.h"

namespace wellvue {

namespace {

// A photo taken with an observation is logged just after it: they make one mark.
constexpr std::int64_t kPhotoOfObservationMs = 1000;

std::vector<ReviewMark> marks_of(const DepthRecord& record, const std::filesystem::path& folder) {
  std::vector<ReviewMark> marks;
  for (const DepthRow& row : record.rows) {
    if (row.event == "observation") {
      marks.push_back({ReviewMark::Kind::Observation, row.video_ms, row.depth_m, row.detail, {}});
    } else if (row.event == "snapshot") {
      const std::string path = (folder / row.detail).string();
      ReviewMark* last = marks.empty() ? nullptr : &marks.back();
      if (last && last->kind == ReviewMark::Kind::Observation && last->photo_path.empty() &&
          row.video_ms - last->ms <= kPhotoOfObservationMs) {
        last->photo_path = path;
        continue;
      }
      marks.push_back({ReviewMark::Kind::Snapshot, row.video_ms, row.depth_m, row.detail, path});
    }
  }
  return marks;
}

}  // namespace

ReviewRecording load_review_recording(const std::string& video_path) {
  namespace fs = std::filesystem;
  ReviewRecording out;
  out.video_path = video_path;
  const fs::path video(video_path);  // file names are UTF-8 bytes on this system
  // The files beside the video whatever its extension, named as the export and the report name them.
  const RecordingNames names = recording_names(fs::path(video_path).replace_extension().string());
  const fs::path record_path(names.depth_record);
  std::error_code ec;
  if (fs::exists(record_path, ec)) {
    try {
      const DepthRecord record = read_depth_record(record_path.string());
      std::vector<DepthPoint> points;
      for (const DepthRow& row : record.rows)
        if (row.event == "line") points.push_back({row.video_ms, row.depth_m});
      out.track = DepthTrack(std::move(points));
      out.marks = marks_of(record, video.parent_path());
      out.from_depth_record = true;
      if (auto it = record.header.find("frame_rate"); it != record.header.end()) {
        const auto rate = read_decimal(it->second);
        if (rate && *rate > 0) out.frame_rate = *rate;
      }
      if (!out.track.empty()) return out;
    } catch (const std::exception& e) {
      out.warning = "Le fichier des profondeurs ne se lit pas (" + std::string(e.what()) +
                    ") : les profondeurs viennent des sous-titres.";
    }
  }
  const fs::path srt(names.srt);
  if (!fs::exists(srt, ec)) {
    if (out.warning.empty()) out.warning = "Aucune profondeur pour cet enregistrement (ni .depth.csv ni .srt).";
    return out;
  }
  try {
    out.track = depth_track_from_srt(read_text_lines(srt));
    out.from_depth_record = false;
  } catch (const std::exception& e) {
    out.warning = "Les sous-titres ne se lisent pas : " + std::string(e.what());
  }
  return out;
}

}  // namespace wellvue
