#include "subtitles/depth_fix_run.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "subtitles/depth_fix_srt.h"
#include "subtitles/depth_record_reader.h"
#include "util/cp1252.h"
#include "util/file_error.h"
#include "util/numbers.h"
#include "util/time_code.h"
#include "util/typed_number.h"

namespace wellvue {
namespace fs = std::filesystem;
namespace {

std::string fr(const std::string& utf8) { return utf8_to_cp1252(utf8); }
std::string name_of(const fs::path& p) { return utf8_to_cp1252(p.string()); }

fs::path with_suffix(const fs::path& base, const std::string& suffix) {
  fs::path p = base;
  p += suffix;
  return p;
}

fs::path underscored(const fs::path& p) { return p.parent_path() / ("_" + p.filename().string()); }

std::string read_whole(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) throw FileError(cannot_open_file_text(name_of(path)));
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) throw FileError(cannot_open_file_text(name_of(path)));
  return text;
}

bool write_fully(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The temporary file is created new (never through a link planted at its name), synced, then
// moved into place: over the target with replace (a link there is replaced, not followed), or
// only where nothing is.
bool write_atomically(const fs::path& path, std::string_view data, bool replace) {
  fs::path tmp = path;
  tmp += ".tmp-" + std::to_string(::getpid());
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = write_fully(fd, data) && ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) {
    if (replace) {
      ok = ::rename(tmp.c_str(), path.c_str()) == 0;
    } else {
      ok = ::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0;
      // A file system without the exclusive rename: a hard link fails as well on any name taken.
      if (!ok && (errno == EINVAL || errno == ENOSYS)) ok = ::link(tmp.c_str(), path.c_str()) == 0;
    }
  }
  ::unlink(tmp.c_str());  // after the rename, no such name any more
  if (!ok) return false;
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool taken(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() != fs::file_type::not_found;
}

std::string signed_text(double v, const char* pattern) {
  std::string t = format_pattern(v, pattern);
  if (v > 0 && t != format_pattern(0.0, pattern)) t = "+" + t;
  return t;
}

}  // namespace

DepthFixFiles depth_fix_files(const fs::path& rec) {
  std::error_code ec;
  fs::path base = rec;
  if (fs::is_regular_file(rec, ec) && rec.has_extension()) base.replace_extension();
  DepthFixFiles f;
  f.srt = with_suffix(base, ".srt");
  f.record = with_suffix(base, ".depth.csv");
  f.srt_out = underscored(f.srt);
  f.record_out = underscored(f.record);
  return f;
}

DepthFixResult fix_recording_depths(const fs::path& rec, const std::vector<KnownDepth>& points, bool replace) {
  DepthFixResult result;
  result.files = depth_fix_files(rec);
  const DepthFixFiles& f = result.files;
  const DepthRecordText record = read_depth_record_text(f.record);
  const std::string srt = read_whole(f.srt);
  const DepthCorrection correction(record, points);
  const SrtDepthRewrite rewrite = rewrite_srt_depths(srt, record, correction.rows());
  const std::string record_text = depth_record_text(corrected_record(record, correction));

  if (!replace) {
    for (const fs::path& out : {f.srt_out, f.record_out}) {
      if (taken(out)) {
        throw FileError(fr("Le fichier ") + name_of(out) +
                        fr(" existe déjà : rien n'a été écrit (--replace pour le remplacer)."));
      }
    }
  }
  const bool srt_was_there = taken(f.srt_out);
  if (!write_atomically(f.srt_out, rewrite.text, replace)) throw FileError(cannot_create_file_text(name_of(f.srt_out)));
  if (!write_atomically(f.record_out, record_text, replace)) {
    // Both corrected files or neither: a new subtitle file alone would pass for a finished job.
    std::error_code ec;
    if (!srt_was_there) fs::remove(f.srt_out, ec);
    throw FileError(cannot_create_file_text(name_of(f.record_out)));
  }
  result.fit = correction.fit();
  result.largest_change_m = correction.largest_change_m();
  result.largest_change_ms = correction.largest_change_ms();
  result.entries_rewritten = rewrite.entries_rewritten;
  result.entries_without_row = rewrite.entries_without_row;
  return result;
}

std::vector<std::string> depth_fix_report(const DepthFixResult& r) {
  std::vector<std::string> lines;
  const DepthFit& fit = r.fit;
  if (fit.scaled) {
    const double percent = (fit.corrected_circumference_mm / fit.recorded_circumference_mm - 1.0) * 100.0;
    lines.push_back(fr("Circonférence corrigée : ") + format_pattern(fit.corrected_circumference_mm, "0.0") +
                    fr(" mm par tour (") + signed_text(percent, "0.00") + fr(" % par rapport aux ") +
                    format_pattern(fit.recorded_circumference_mm, "0.0") + fr(" mm enregistrés)"));
  } else {
    lines.push_back(fr("Circonférence inchangée : ") + format_pattern(fit.recorded_circumference_mm, "0.0") +
                    fr(" mm par tour (un seul point : profondeurs décalées de ") + signed_text(fit.shift_m, "0.00") +
                    " m)");
  }
  lines.push_back(fr("Plus grand changement de profondeur : ") + format_pattern(r.largest_change_m, "0.00") +
                  fr(" m (à ") +
                  time_code_of_ms(static_cast<std::uint64_t>(std::max<std::int64_t>(0, r.largest_change_ms))) + ")");
  std::string entries =
      fr("Sous-titres : ") + int_text(static_cast<long long>(r.entries_rewritten)) + fr(" entrées corrigées");
  if (r.entries_without_row > 0) {
    entries += fr(", ") + int_text(static_cast<long long>(r.entries_without_row)) +
               fr(" sans ligne du relevé, laissées telles quelles");
  }
  lines.push_back(entries);
  lines.push_back(fr("Écrit : ") + name_of(r.files.srt_out));
  lines.push_back(fr("Écrit : ") + name_of(r.files.record_out));
  return lines;
}

std::optional<std::int64_t> parse_video_time(std::string_view text) {
  if (auto code = time_code_to_ms(text)) return code;
  std::vector<std::string_view> parts;
  for (std::size_t b = 0;;) {
    const std::size_t c = text.find(':', b);
    parts.push_back(text.substr(b, c == std::string_view::npos ? std::string_view::npos : c - b));
    if (c == std::string_view::npos) break;
    b = c + 1;
  }
  if (parts.size() > 3) return std::nullopt;
  std::int64_t whole = 0;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    const auto v = read_whole<std::int64_t>(parts[i]);
    if (!v || *v < 0 || (i > 0 && *v >= 60) || *v > 1e9) return std::nullopt;
    whole = whole * 60 + *v;
  }
  const auto seconds = read_typed_number(parts.back());
  if (!seconds || !(*seconds >= 0) || (parts.size() > 1 && *seconds >= 60) || *seconds > 1e9) return std::nullopt;
  return whole * 60000 + static_cast<std::int64_t>(std::llround(*seconds * 1000.0));
}

std::optional<double> parse_known_metres(std::string_view text) {
  const auto v = read_typed_number(text, "m");
  if (!v || std::fabs(*v) > 1e5) return std::nullopt;
  return v;
}

}  // namespace wellvue
