// What an inspection report says, gathered from a recording's files (video, subtitles, depth
// record, observation track, photos) without drawing anything: the header facts, the descent
// profile, the observations and the photos, and each file with its size and SHA-256.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wellvue {

struct ReportOptions {
  std::string site;           // UTF-8, may be empty
  std::string operator_name;  // UTF-8, may be empty
};

struct ProfilePoint {
  std::int64_t video_ms = 0;
  double depth_m = 0;
};

struct ReportPhoto {
  std::string file_name;       // beside the recording, UTF-8
  std::string path;            // full path, empty when the file is missing
  std::int64_t video_ms = -1;  // -1: unknown (no depth record, a review photo at a depth)
  double depth_m = 0;
  bool depth_known = true;  // false: a review photo of a moment without depth
  std::string code;         // the observation's code when the photo is one's
};

struct ReportObservation {
  std::int64_t video_ms = 0;
  double depth_m = 0;
  std::string code;  // UTF-8
  std::string note;  // UTF-8, may be empty
  std::optional<ReportPhoto> photo;
};

struct ReportFile {
  std::string name;  // file name, UTF-8
  std::string role;  // French: "Vidéo", "Sous-titres"...
  std::uintmax_t size = 0;
  std::string sha256;  // empty when it could not be read
};

struct ReportCalibration {
  std::int64_t video_ms = 0;
  double circumference_mm = 0;
};

struct ReportContent {
  std::string recording;  // the base name, UTF-8
  std::string bore;
  std::string site;
  std::string operator_name;
  std::string date;        // as the depth record or the file's time gives it
  std::string station;     // the station's version; empty without depth record
  double duration_s = -1;  // -1: unknown
  bool has_depth_record = false;
  bool has_depths = false;             // at least one depth read
  bool depths_from_subtitles = false;  // the depth record had none, or none could be read
  double min_depth_m = 0;
  double max_depth_m = 0;
  double circumference_mm = 0;  // at the start; 0: unknown
  int tics_per_turn = 0;
  std::vector<ReportCalibration> calibrations;  // changes during the recording
  std::optional<std::int32_t> curb_zero_tics;
  std::optional<std::int32_t> water_zero_tics;  // none: no water zero
  std::optional<double> start_depth_m;
  std::optional<double> water_level_m;  // depth of the water surface when a water zero was made
  std::vector<ProfilePoint> profile;    // thinned for plotting, in time order
  std::vector<ReportObservation> observations;
  // Every photo of the recording, the station's and the review window's: in time order with the
  // depth record (review photos, whose names give no time, after them by depth), else by depth.
  std::vector<ReportPhoto> photos;
  std::vector<ReportFile> files;
  std::vector<std::string> warnings;  // French, UTF-8: what could not be read
};

// Gathers the report of a recording named by its AVI, SRT, depth record or base name. Raises
// FileError (French, CP1252 like the other file errors) when neither a depth record nor subtitles
// can be read: there is nothing to report.
ReportContent gather_report(const std::string& rec, const ReportOptions& options);

// Depths in French as the report prints them: "12,34 m".
std::string report_metres(double metres);
// "1 h 02 min 05 s", "3 min 20 s", "20,1 s".
std::string report_duration(double seconds);
// "00:12:05".
std::string report_clock(std::int64_t ms);

}  // namespace wellvue
