#include "report/report_content.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <limits>
#include <system_error>

#include <sys/stat.h>

#include "capture/recording_format.h"
#include "recording/depth_record.h"
#include "recording/recording_names.h"
#include "recording/video_hash.h"
#include "report/profile_thinning.h"
#include "report/review_photo_names.h"
#include "report/srt_depths.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/depth_text.h"
#include "util/file_error.h"
#include "util/numbers.h"
#include "util/sha256.h"
#include "util/text_file.h"
#include "util/time_code.h"

namespace wellvue {

namespace fs = std::filesystem;

namespace {

// Enough points for a plot a page wide at printer resolution.
constexpr std::size_t kProfileSlices = 1200;
// A photo taken for an observation is logged right after it.
constexpr std::int64_t kPhotoAfterObservationMs = 3000;

bool ends_with(const std::string& s, std::string_view tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool exists(const std::string& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

std::string file_name_of(const std::string& path) { return fs::path(path).filename().string(); }

std::string header_value(const DepthRecord& r, const std::string& key) {
  const auto it = r.header.find(key);
  return it == r.header.end() ? std::string() : it->second;
}

template <class T>
std::optional<T> header_number(const DepthRecord& r, const std::string& key) {
  const auto v = read_decimal(header_value(r, key));
  if (!v || *v < static_cast<double>(std::numeric_limits<T>::lowest()) ||
      *v > static_cast<double>(std::numeric_limits<T>::max()))
    return std::nullopt;
  return static_cast<T>(*v);
}

void split_observation(const std::string& detail, std::string& code, std::string& note) {
  const auto colon = detail.find(": ");
  code = detail.substr(0, colon);
  note = colon == std::string::npos ? std::string() : detail.substr(colon + 2);
}

ReportPhoto photo_of(const std::string& folder, const std::string& file_name, std::int64_t ms, double depth) {
  ReportPhoto p;
  p.file_name = file_name;
  const std::string path = (fs::path(folder) / file_name).string();
  if (exists(path)) p.path = path;
  p.video_ms = ms;
  p.depth_m = depth;
  return p;
}

void from_depth_record(const DepthRecord& r, const std::string& folder, ReportContent& c) {
  c.has_depth_record = true;
  c.bore = header_value(r, "bore");
  c.date = header_value(r, "date");
  c.station = header_value(r, "station");
  c.circumference_mm = header_number<double>(r, "circumference_mm_per_turn").value_or(0);
  c.tics_per_turn = header_number<int>(r, "tics_per_turn").value_or(24);
  c.curb_zero_tics = header_number<std::int32_t>(r, "curb_zero_tics");
  c.start_depth_m = header_number<double>(r, "start_depth_m");
  const double offset = header_number<double>(r, "depth_offset_m").value_or(0);
  const auto water = header_number<std::int32_t>(r, "water_zero_tics");
  if (water && *water >= 0) {
    c.water_zero_tics = water;
    if (c.tics_per_turn > 0)
      c.water_level_m = c.start_depth_m.value_or(0) +
                        (*water - c.curb_zero_tics.value_or(0)) * c.circumference_mm / 1000.0 / c.tics_per_turn +
                        offset;
  }
  std::vector<ProfilePoint> points;
  points.reserve(r.rows.size());
  for (std::size_t i = 0; i < r.rows.size(); ++i) {
    const DepthRow& row = r.rows[i];
    if (row.event == "line") {
      points.push_back({row.video_ms, row.depth_m});
    } else if (row.event == "stop") {
      c.duration_s = row.video_ms / 1000.0;
    } else if (row.event == "calibration") {
      if (const auto mm = read_decimal(row.detail)) c.calibrations.push_back({row.video_ms, *mm});
    } else if (row.event == "water_zero") {
      c.water_zero_tics = row.tics;
      c.water_level_m = row.depth_m;
    } else if (row.event == "snapshot") {
      c.photos.push_back(photo_of(folder, row.detail, row.video_ms, row.depth_m));
    } else if (row.event == "observation") {
      ReportObservation o;
      o.video_ms = row.video_ms;
      o.depth_m = row.depth_m;
      split_observation(row.detail, o.code, o.note);
      // Its photo is the snapshot logged just after it that carries its code.
      for (std::size_t j = i + 1; j < r.rows.size() && r.rows[j].video_ms <= row.video_ms + kPhotoAfterObservationMs;
           ++j) {
        if (r.rows[j].event == "snapshot" && ends_with(r.rows[j].detail, " " + o.code + ".jpg")) {
          o.photo = photo_of(folder, r.rows[j].detail, r.rows[j].video_ms, r.rows[j].depth_m);
          o.photo->code = o.code;
          break;
        }
      }
      c.observations.push_back(std::move(o));
    }
  }
  for (ReportPhoto& p : c.photos)
    for (const ReportObservation& o : c.observations)
      if (o.photo && o.photo->file_name == p.file_name) p.code = o.code;
  if (!points.empty()) {
    c.has_depths = true;
    const auto [lo, hi] = std::minmax_element(points.begin(), points.end(),
                                              [](const auto& a, const auto& b) { return a.depth_m < b.depth_m; });
    c.min_depth_m = lo->depth_m;
    c.max_depth_m = hi->depth_m;
  }
  c.profile = thin_profile(points, kProfileSlices);
}

// "Corrosion — 1.01m" then the note lines, as the observation track writes its cues.
void read_observation_track(const std::string& path, ReportContent& c) {
  const std::vector<std::string> lines = read_text_lines(path);
  const std::string dash = " \xE2\x80\x94 ";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto arrow = lines[i].find(" --> ");
    if (arrow == std::string::npos) continue;
    const auto start = time_code_to_ms(lines[i].substr(0, arrow));
    if (!start || i + 1 >= lines.size()) continue;
    const std::string& head = lines[i + 1];
    const auto d = head.rfind(dash);
    ReportObservation o;
    o.video_ms = *start;
    o.code = head.substr(0, d);
    if (d != std::string::npos) o.depth_m = read_depth_text(head.substr(d + dash.size())).value_or(0.0);
    std::size_t j = i + 2;
    for (; j < lines.size() && !lines[j].empty(); ++j) o.note += (o.note.empty() ? "" : " ") + lines[j];
    i = j;
    c.observations.push_back(std::move(o));
  }
}

// The review window's photos, found by their names; by depth, those without one last.
std::vector<ReportPhoto> review_photos(const RecordingNames& paths) {
  const fs::path base(paths.base);
  std::error_code ec;
  fs::path folder = base.parent_path();
  if (folder.empty()) folder = ".";
  std::vector<ReportPhoto> found;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    const auto read = read_review_photo_name(name, base.filename().string());
    if (!read) continue;
    ReportPhoto p;
    p.file_name = name;
    p.path = entry.path().string();
    p.depth_known = read->depth_m.has_value();
    p.depth_m = read->depth_m.value_or(0);
    p.video_ms = read->video_ms.value_or(-1);
    found.push_back(p);
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    if (a.depth_known != b.depth_known) return a.depth_known;
    return a.depth_known ? a.depth_m < b.depth_m : a.video_ms < b.video_ms;
  });
  return found;
}

// Without the depth record the photos are found by their names: "<name> <depth>m[ <code>].jpg".
void find_photos(const RecordingNames& paths, ReportContent& c) {
  const fs::path base(paths.base);
  const std::string prefix = base.filename().string() + " ";
  std::error_code ec;
  fs::path folder = base.parent_path();
  if (folder.empty()) folder = ".";
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(prefix) || !ends_with(name, ".jpg")) continue;
    std::string rest = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    const auto m = rest.find('m');
    if (m == std::string::npos) continue;
    const auto depth = read_depth_text(std::string_view(rest).substr(0, m + 1));
    if (!depth) continue;
    ReportPhoto p;
    p.depth_m = *depth;
    p.file_name = name;
    p.path = entry.path().string();
    if (m + 2 < rest.size()) p.code = rest.substr(m + 2);
    c.photos.push_back(p);
  }
  std::sort(c.photos.begin(), c.photos.end(), [](const auto& a, const auto& b) { return a.depth_m < b.depth_m; });
  for (ReportObservation& o : c.observations)
    for (const ReportPhoto& p : c.photos)
      if (!o.photo && p.code == o.code && std::fabs(p.depth_m - o.depth_m) < 0.006) o.photo = p;
}

void from_subtitles(const RecordingNames& paths, ReportContent& c) {
  const SrtDepths srt = read_srt_depths(paths.srt);
  c.bore = srt.bore;
  c.depths_from_subtitles = true;
  if (!srt.points.empty()) {
    c.has_depths = true;
    const auto [lo, hi] = std::minmax_element(srt.points.begin(), srt.points.end(),
                                              [](const auto& a, const auto& b) { return a.depth_m < b.depth_m; });
    c.min_depth_m = lo->depth_m;
    c.max_depth_m = hi->depth_m;
  }
  c.profile = thin_profile(srt.points, kProfileSlices);
  if (srt.last_end_ms > 0) c.duration_s = srt.last_end_ms / 1000.0;
  struct stat st {};
  if (::stat(paths.srt.c_str(), &st) == 0) {
    const std::time_t t = st.st_mtime;
    char text[32];
    std::tm tm{};
    localtime_r(&t, &tm);
    if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm)) c.date = text;
  }
  if (exists(paths.observations)) {
    try {
      read_observation_track(paths.observations, c);
    } catch (const ConversionError&) {
      c.warnings.push_back("Piste des observations illisible : " + file_name_of(paths.observations));
    }
  }
  find_photos(paths, c);
}

// `kept`: the file may have its hash kept beside it (the video, hashed once after the stop: an
// hour of it takes a minute to read again).
void add_file(const std::string& path, const char* role, ReportContent& c, bool kept = false) {
  if (path.empty() || !exists(path)) return;
  ReportFile f;
  f.name = file_name_of(path);
  f.role = role;
  std::error_code ec;
  f.size = fs::file_size(path, ec);
  std::optional<std::string> sha = kept ? kept_video_hash(path) : std::nullopt;
  if (!sha) sha = file_sha256_hex(path);
  f.sha256 = sha.value_or("");
  if (f.sha256.empty()) c.warnings.push_back("Fichier illisible : " + f.name);
  c.files.push_back(std::move(f));
}

}  // namespace

ReportContent gather_report(const std::string& rec, const ReportOptions& options) {
  const RecordingNames paths = recording_names(rec);
  ReportContent c;
  c.recording = fs::path(paths.base).filename().string();
  c.site = options.site;
  c.operator_name = options.operator_name;
  std::string folder = fs::path(paths.base).parent_path().string();
  if (folder.empty()) folder = ".";

  bool done = false;
  if (exists(paths.depth_record)) {
    try {
      from_depth_record(read_depth_record(paths.depth_record), folder, c);
      done = true;
    } catch (const ConversionError& e) {
      const ReportContent fresh = c;
      c = ReportContent{};
      c.recording = fresh.recording;
      c.site = fresh.site;
      c.operator_name = fresh.operator_name;
      c.warnings.push_back(cp1252_to_utf8(e.what()));
    }
  }
  if (!done) {
    if (!exists(paths.srt)) {
      // Nothing gives a depth: the subtitles, which every recording has, are named.
      throw FileError(cannot_open_file_text(utf8_to_cp1252(paths.srt)));
    }
    from_subtitles(paths, c);
  }
  // A record cut short before its first line: the subtitles may still carry the depths.
  if (done && !c.has_depths && exists(paths.srt)) {
    try {
      const SrtDepths srt = read_srt_depths(paths.srt);
      if (!srt.points.empty()) {
        c.has_depths = true;
        c.depths_from_subtitles = true;
        const auto [lo, hi] = std::minmax_element(srt.points.begin(), srt.points.end(),
                                                  [](const auto& a, const auto& b) { return a.depth_m < b.depth_m; });
        c.min_depth_m = lo->depth_m;
        c.max_depth_m = hi->depth_m;
        c.profile = thin_profile(srt.points, kProfileSlices);
        c.warnings.push_back("Profondeurs lues dans les sous-titres : l'enregistrement des profondeurs n'en a pas");
      }
    } catch (const ConversionError&) {
    }
  }
  // The video's own length when the record has no stop row (a recording cut short).
  if (c.duration_s < 0 || !c.has_depth_record) {
    if (exists(paths.avi)) {
      if (const auto length = avi_format().read_length(paths.avi)) {
        const double s = length->on_disk_seconds >= 0 ? length->on_disk_seconds : length->header_seconds;
        if (s > 0) c.duration_s = s;
      }
    }
  }
  const std::vector<ReportPhoto> review = review_photos(paths);
  c.photos.insert(c.photos.end(), review.begin(), review.end());
  add_file(paths.avi, "Vidéo", c, true);
  add_file(paths.srt, "Sous-titres", c);
  add_file(paths.depth_record, "Enregistrement des profondeurs", c);
  add_file(paths.observations, "Piste des observations", c);
  return c;
}

std::string report_metres(double metres) { return french_depth_text(metres); }

std::string report_duration(double seconds) {
  if (seconds < 0) return "inconnue";
  char text[48];
  const auto whole = static_cast<long long>(std::llround(seconds));
  if (whole >= 3600)
    std::snprintf(text, sizeof text, "%lld h %02lld min %02lld s", whole / 3600, whole / 60 % 60, whole % 60);
  else if (whole >= 60) std::snprintf(text, sizeof text, "%lld min %02lld s", whole / 60, whole % 60);
  else return fixed_text(seconds, 1, ',') + " s";
  return text;
}

std::string report_clock(std::int64_t ms) {
  if (ms < 0) return "—";
  const std::int64_t s = ms / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return text;
}

}  // namespace wellvue
