#include "subtitles/depth_fix.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/depth_text.h"
#include "util/numbers.h"
#include "util/time_code.h"

namespace wellvue {
namespace {

// A corrected circumference outside this ratio of the recorded one is a wrong point, not a wheel
// that slipped or a cable that stretched.
constexpr double kLowestRatio = 0.5;
constexpr double kHighestRatio = 2.0;

std::string fr(const std::string& utf8) { return utf8_to_cp1252(utf8); }

std::string time_text(std::int64_t ms) {
  return time_code_of_ms(static_cast<std::uint64_t>(std::max<std::int64_t>(ms, 0)));
}

std::string mm_text(double mm) { return format_pattern(mm, "0.0"); }

// The count and the recorded depth at one moment, read between the rows around it.
struct PointAt {
  std::size_t stretch = 0;
  double tics = 0.0;
  double depth_m = 0.0;
  double metres_per_tic = 0.0;
};

class RecordModel {
 public:
  explicit RecordModel(const DepthRecordText& record) : record_(record) {
    const auto& rows = record.rows;
    stretch_.resize(rows.size());
    metres_per_tic_.resize(rows.size());
    reference_.push_back(static_cast<double>(record.curb_zero_tics));
    double circumference = record.circumference_mm;
    std::size_t s = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].restarts_relation()) {
        ++s;
        reference_.push_back(static_cast<double>(rows[i].tics));
      }
      if (rows[i].event == "calibration") {
        const auto mm = read_decimal(rows[i].detail);
        if (mm && *mm > 0) circumference = *mm;
      }
      stretch_[i] = s;
      metres_per_tic_[i] = circumference / 1000.0 / record.tics_per_turn;
    }
  }

  std::size_t stretches() const { return reference_.size(); }
  std::size_t stretch_of_row(std::size_t i) const { return stretch_[i]; }
  double reference_tics(std::size_t s) const { return reference_[s]; }
  double metres_per_tic(std::size_t i) const { return metres_per_tic_[i]; }
  // A row whose depth comes from the wheel's count.
  bool measured(std::size_t i) const { return record_.rows[i].is_line() && record_.rows[i].raw.has_value(); }

  PointAt locate(std::int64_t ms) const {
    const auto& rows = record_.rows;
    if (rows.empty()) throw ConversionError(fr("Le relevé de profondeur n'a aucune ligne : rien à corriger."));
    const std::int64_t first = rows.front().video_ms, last = rows.back().video_ms;
    if (ms < first || ms > last) {
      throw ConversionError(fr("Le point " + time_text(ms) + " est en dehors de l'enregistrement (" + time_text(first) +
                               " à " + time_text(last) + ")."));
    }
    std::size_t s = 0;
    for (std::size_t i = 0; i < rows.size() && rows[i].video_ms <= ms; ++i) s = stretch_[i];
    std::optional<std::size_t> before, after;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (stretch_[i] != s || !measured(i)) continue;
      if (rows[i].video_ms <= ms) before = i;
      if (rows[i].video_ms >= ms && !after) after = i;
    }
    if (!before && !after) {
      throw ConversionError(fr("Aucune lecture du codeur autour de " + time_text(ms) +
                               " : la profondeur n'y est pas connue, choisissez un autre moment."));
    }
    PointAt at;
    at.stretch = s;
    const std::size_t a = before ? *before : *after, b = after ? *after : *before;
    const double span = static_cast<double>(rows[b].video_ms - rows[a].video_ms);
    const double f = span > 0 ? static_cast<double>(ms - rows[a].video_ms) / span : 0.0;
    at.tics = static_cast<double>(rows[a].tics) + f * (static_cast<double>(rows[b].tics) - static_cast<double>(rows[a].tics));
    at.depth_m = rows[a].depth_m + f * (rows[b].depth_m - rows[a].depth_m);
    at.metres_per_tic = metres_per_tic_[a];
    return at;
  }

  // The recorded depth the count of row i stands for in its stretch: a line's own depth, or for an
  // event row the nearest line of its stretch carried to the row's count.
  std::optional<double> recorded_at(std::size_t i) const {
    if (measured(i)) return record_.rows[i].depth_m;
    const auto& rows = record_.rows;
    std::optional<std::size_t> near;
    for (std::size_t j = i; j-- > 0 && stretch_[j] == stretch_[i];)
      if (measured(j)) {
        near = j;
        break;
      }
    for (std::size_t j = i + 1; !near && j < rows.size() && stretch_[j] == stretch_[i]; ++j)
      if (measured(j)) near = j;
    if (!near) return std::nullopt;
    return rows[*near].depth_m + (static_cast<double>(rows[i].tics) - static_cast<double>(rows[*near].tics)) * metres_per_tic_[*near];
  }

 private:
  const DepthRecordText& record_;
  std::vector<std::size_t> stretch_;
  std::vector<double> metres_per_tic_;
  std::vector<double> reference_;
};

}  // namespace

DepthCorrection::DepthCorrection(const DepthRecordText& record, const std::vector<KnownDepth>& points) {
  if (points.empty()) throw ConversionError(fr("Aucune profondeur connue : donnez au moins un point."));
  const RecordModel model(record);
  std::vector<PointAt> at;
  at.reserve(points.size());
  for (const KnownDepth& p : points) at.push_back(model.locate(p.video_ms));
  fit_.recorded_circumference_mm = at.front().metres_per_tic * 1000.0 * record.tics_per_turn;
  fit_.corrected_circumference_mm = fit_.recorded_circumference_mm;

  // Per stretch with points: the offset of the fitted line (scaled) or the shift (one point).
  std::map<std::size_t, double> offset;
  double metres_per_tic = 0.0;
  if (points.size() == 1) {
    fit_.shift_m = points[0].depth_m - at[0].depth_m;
    offset[at[0].stretch] = fit_.shift_m;
  } else {
    fit_.scaled = true;
    // Least squares of depth on count with one slope for the wheel and one offset per stretch.
    std::map<std::size_t, std::pair<double, double>> sums;  // stretch -> (sum tics, sum depth)
    std::map<std::size_t, int> count;
    for (std::size_t i = 0; i < at.size(); ++i) {
      sums[at[i].stretch].first += at[i].tics;
      sums[at[i].stretch].second += points[i].depth_m;
      ++count[at[i].stretch];
    }
    double sxx = 0.0, sxy = 0.0;
    for (std::size_t i = 0; i < at.size(); ++i) {
      const auto& [st, sd] = sums[at[i].stretch];
      const double n = count[at[i].stretch];
      sxx += (at[i].tics - st / n) * (at[i].tics - st / n);
      sxy += (at[i].tics - st / n) * (points[i].depth_m - sd / n);
    }
    if (sxx < 1e-9) {
      for (std::size_t i = 0; i < at.size(); ++i)
        for (std::size_t j = i + 1; j < at.size(); ++j)
          if (at[i].stretch == at[j].stretch) {
            throw ConversionError(fr("Les points " + time_text(points[i].video_ms) + " et " +
                                     time_text(points[j].video_ms) +
                                     " sont au même compte de la roue : l'échelle ne peut pas être calculée. "
                                     "Donnez deux points à des profondeurs différentes."));
          }
      throw ConversionError(
          fr("Les points connus sont séparés par un zéro margelle ou une remise à zéro du compteur : "
             "il en faut deux dans la même partie de l'enregistrement pour calculer l'échelle."));
    }
    metres_per_tic = sxy / sxx;
    fit_.corrected_circumference_mm = metres_per_tic * 1000.0 * record.tics_per_turn;
    const double recorded = fit_.recorded_circumference_mm;
    if (!(fit_.corrected_circumference_mm > 0)) {
      throw ConversionError(fr("La circonférence corrigée serait de " + mm_text(fit_.corrected_circumference_mm) +
                               " mm par tour : les profondeurs connues vont à l'inverse du compte de la roue. "
                               "Vérifiez les points."));
    }
    const double ratio = fit_.corrected_circumference_mm / recorded;
    if (!(ratio >= kLowestRatio && ratio <= kHighestRatio)) {
      throw ConversionError(fr("La circonférence corrigée serait de " + mm_text(fit_.corrected_circumference_mm) +
                               " mm par tour pour " + mm_text(recorded) +
                               " mm enregistrés : ce n'est pas un glissement de la roue, vérifiez les points."));
    }
    for (const auto& [s, sum] : sums) offset[s] = (sum.second - metres_per_tic * sum.first) / count[s];
  }

  // The corrected depth of count t in row i's stretch, from the recorded one.
  auto corrected = [&](std::size_t i, double recorded) {
    const std::size_t s = model.stretch_of_row(i);
    const double t = static_cast<double>(record.rows[i].tics);
    const auto fitted = offset.find(s);
    if (!fit_.scaled) return fitted == offset.end() ? recorded : recorded + fitted->second;
    if (fitted != offset.end()) return metres_per_tic * t + fitted->second;
    return recorded + (t - model.reference_tics(s)) * (metres_per_tic - model.metres_per_tic(i));
  };
  auto water_ratio = [&](std::size_t i) { return fit_.scaled ? metres_per_tic / model.metres_per_tic(i) : 1.0; };

  rows_.resize(record.rows.size());
  std::optional<std::size_t> last_line;
  for (std::size_t i = 0; i < record.rows.size(); ++i) {
    const DepthRecordRow& row = record.rows[i];
    CorrectedRow& out = rows_[i];
    out.depth_m = row.depth_m;
    out.water_depth_m = row.water_depth_m;
    const auto before = model.recorded_at(i);
    out.model_before = out.model_after = before.value_or(row.depth_m);
    if (before) out.model_after = corrected(i, *before);
    if (model.measured(i)) {
      out.depth_m = out.model_after;
      if (row.water_depth_m) out.water_depth_m = *row.water_depth_m * water_ratio(i);
      const double change = std::fabs(out.depth_m - row.depth_m);
      if (change > largest_change_m_) {
        largest_change_m_ = change;
        largest_change_ms_ = row.video_ms;
      }
    } else if (!row.is_line() && last_line) {
      // An event row carries the depth of the last line decoded before it.
      const DepthRecordRow& line = record.rows[*last_line];
      out.depth_m = row.depth_m + (rows_[*last_line].depth_m - line.depth_m);
      if (row.water_depth_m && line.water_depth_m && *line.water_depth_m != 0)
        out.water_depth_m = *row.water_depth_m * (*rows_[*last_line].water_depth_m / *line.water_depth_m);
    }
    // A line without a count shows the start depth, not the wheel: it stays as it was.
    if (row.is_line()) last_line = i;
  }
}

DepthRecordText corrected_record(const DepthRecordText& record, const DepthCorrection& correction) {
  DepthRecordText out = record;
  for (std::size_t i = 0; i < out.rows.size(); ++i) {
    DepthRecordRow& row = out.rows[i];
    const CorrectedRow& c = correction.rows()[i];
    if (c.depth_m != row.depth_m) {
      row.depth_m = c.depth_m;
      row.fields[4] = record_depth_text(c.depth_m);
    }
    if (c.water_depth_m && row.water_depth_m && *c.water_depth_m != *row.water_depth_m) {
      row.water_depth_m = c.water_depth_m;
      row.fields[5] = record_depth_text(*c.water_depth_m);
    }
  }
  if (correction.fit().scaled) {
    out.circumference_mm = correction.fit().corrected_circumference_mm;
    out.set_header_value("circumference_mm_per_turn", fixed_text(out.circumference_mm, 3));
  }
  return out;
}

}  // namespace wellvue
