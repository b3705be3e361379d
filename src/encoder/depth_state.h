// The one record of the encoder link: the tic count and its references, the computed depths, the
// polling and subtitle counters and times, calibration values and the port and baud indices.
#pragma once
#include <cstdint>
#include <string>

namespace wellvue {

struct DepthState {
  std::int32_t tics = 0;            // count of the last decoded line times the sign
  std::int32_t curb_zero = 0;       // tics at the curb: the zero of the depth
  std::int32_t water_zero = -1;     // tics at the water level; negative: none
  std::int32_t start_depth_cm = 0;  // depth the curb-zero position stands for
  double metres_per_turn = 0.0;     // wheel circumference in metres
  double depth_m = 0.0;             // depth of the last decoded line
  double water_depth_m = 0.0;       // depth below the water zero of the last decoded line
  double depth_offset_m = 0.0;      // added to every depth (recording start)
  // Added to the board's count: the board restarts its count when its port comes back, and the
  // count goes on from where it was. 0 at every "OpenCom".
  std::int64_t tic_offset = 0;
  std::int32_t poll_count = 0;      // polls since the open or the recording start
  std::int32_t last_line_poll = 0;  // poll_count at the last decoded line
  std::int32_t line_count = 0;      // lines decoded during an acquisition, plus zeroing entries
  std::int32_t entry_number = -1;   // last subtitle entry of the polling; -1: track not started
  // Monotonic milliseconds from which time codes count (a steady clock, so midnight is no edge).
  std::int64_t time_origin_ms = 0;
  std::string current_time_code;   // time code of the last decoded line or subtitle step
  std::string previous_time_code;  // end of the last subtitle entry, start of the next
  std::string track_prefix;        // put in front of every depth text line
  std::string track_start_text;    // date and time at which the track started
  std::string previous_burst;      // complete lines of the last decoded read
  std::int32_t calibration_start_tics = 0;
  std::int32_t calibration_stop_tics = 0;
  double calibration_length_m = 0;  // metres of cable run over by the calibration
  std::int32_t open_count = 0;  // presses of "OpenCom"
  std::int32_t port_index = 0;  // selected item of the port list; -1: none
  std::int32_t baud_index = 0;  // selected item of the baud list
};

// Wheel constants: 24 tics per turn, circumference typed in millimetres, start depth in cm.
inline constexpr int kTicsPerTurn = 24;

}  // namespace wellvue
