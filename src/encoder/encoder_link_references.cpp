// The references a recording counts its depth from: the press of Start, the zero question's two
// answers and the track's start.
#include "encoder/encoder_link.h"
#include "util/numbers.h"

namespace wellvue {

double EncoderLink::depth_at(std::int32_t tics) const {
  // Differences of counts in 64 bits: two counts of opposite extremes never overflow.
  return static_cast<double>(static_cast<std::int64_t>(tics) - state_.curb_zero) * state_.metres_per_turn /
             kTicsPerTurn +
         state_.start_depth_cm / 100.0 + state_.depth_offset_m;
}

DepthPress EncoderLink::press_now() {
  handle_completed_reads();
  DepthPress press;
  press.tics = state_.tics;
  press.depth_m = depth_at(state_.tics);
  if (state_.water_zero >= 0 && state_.water_depth_m >= 0) press.water_depth_m = state_.water_depth_m;
  return press;
}

void EncoderLink::zero_counters_at(const DepthPress& press) {
  state_.poll_count = 0;
  restart_entry_numbering();
  state_.last_line_poll = 0;
  state_.line_count = 0;
  state_.water_zero = -1;
  state_.time_origin_ms = 0;
  state_.curb_zero = press.tics;
  state_.depth_offset_m = 0;
  state_.start_depth_cm = 0;
  state_.depth_m = depth_at(state_.tics);
  show_start_depth(true);
}

void EncoderLink::begin_recording_track(const std::optional<DepthPress>& from) {
  fields_.RadioGroup1 = 0;
  restart_entry_numbering();
  if (from) {
    // The curb zero moves to the press and the offset carries the depth on show there: the next
    // line reads that depth plus the cable drawn since, not the depth counted twice.
    state_.curb_zero = from->tics;
    state_.depth_offset_m = from->depth_m - state_.start_depth_cm / 100.0;
  }
  state_.poll_count = 0;
  // The closing entries start from this recording's last entry, never from an earlier one.
  state_.previous_time_code.clear();
}

const std::string& EncoderLink::closing_start_code() {
  if (state_.previous_time_code.find_first_not_of(' ') == std::string::npos) state_.previous_time_code = "00:00:00,000";
  return state_.previous_time_code;
}

}  // namespace wellvue
