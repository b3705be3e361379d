// The depth correction of a recording after the run: depths known at moments of the video (the
// sounded bottom, a casing joint) give, through the wheel's count at those moments, a shift (one
// point) or a least-squares scale and offset on the count (two or more: a corrected wheel
// circumference), applied to every row of the depth record.
//
// A curb zero or a counter reset starts the depth relation again from its row: the record is cut
// there into stretches. The scale is the wheel's and holds in every stretch; the offset is fitted
// in each stretch that holds a known point; a stretch without one keeps its own starting depth and
// only takes the corrected circumference from its reference count on.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "subtitles/depth_record_reader.h"

namespace wellvue {

struct KnownDepth {
  std::int64_t video_ms = 0;  // on the video's clock, as the SRT's time codes
  double depth_m = 0.0;
};

struct DepthFit {
  bool scaled = false;                    // two or more points: the circumference is corrected
  double recorded_circumference_mm = 0;   // in use at the first known point
  double corrected_circumference_mm = 0;  // the recorded one when only shifted
  double shift_m = 0;                     // one point: what its stretch moves by
};

struct CorrectedRow {
  double depth_m = 0.0;  // the row's depth_m column, corrected
  std::optional<double> water_depth_m;
  // The depth the row's count stands for in its stretch, before and after the correction (on an
  // event row the depth_m column is the last line's); a zeroing text moves by their difference.
  double model_before = 0.0;
  double model_after = 0.0;
};

class DepthCorrection {
 public:
  // Raises ConversionError with the operator's French text (CP1252) for no point, a point outside
  // the recording or where no count is known, two points at the same count (no scale), and a
  // corrected circumference that is not positive or is absurd (not within half to twice the
  // recorded one).
  DepthCorrection(const DepthRecordText& record, const std::vector<KnownDepth>& points);

  const DepthFit& fit() const { return fit_; }
  // One per row of the record, in its order.
  const std::vector<CorrectedRow>& rows() const { return rows_; }
  // The largest change of a depth read from the wheel, and the video time of its row.
  double largest_change_m() const { return largest_change_m_; }
  std::int64_t largest_change_ms() const { return largest_change_ms_; }

 private:
  DepthFit fit_;
  std::vector<CorrectedRow> rows_;
  double largest_change_m_ = 0.0;
  std::int64_t largest_change_ms_ = 0;
};

// The depth record with the corrected depths in its rows and the corrected circumference in its
// header; every other field as it was.
DepthRecordText corrected_record(const DepthRecordText& record, const DepthCorrection& correction);

}  // namespace wellvue
