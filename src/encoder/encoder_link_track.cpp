#include <algorithm>
#include <charconv>
#include <cmath>

#include "encoder/encoder_link.h"
#include "util/date_time.h"
#include "util/file_error.h"
#include "util/numbers.h"
#include "util/settings_values.h"
#include "util/text.h"
#include "util/text_file.h"
#include "util/time_code.h"

namespace wellvue {

std::string EncoderLink::time_code_now() {
  if (track_listener_.before_time_code) track_listener_.before_time_code();
  // A line read by the reader thread dates from its read, not from when this thread got to it.
  return time_code_of(read_time_ ? clock_.elapsed_ms_at(*read_time_) : clock_.elapsed_ms());
}

std::string EncoderLink::entry_end_code() {
  const bool started = state_.entry_number != -1;
  std::string code = time_code_now();
  if (!started) return code;
  // An origin moved later under way (the first frame of the video becomes known) makes the clock
  // read earlier than entries already written: the track waits at the last end instead of going back.
  const auto now = time_code_to_ms(code), previous = time_code_to_ms(state_.previous_time_code);
  if (now && previous && *now < *previous) code = state_.previous_time_code;
  return code;
}

std::string EncoderLink::time_code_of(double ms) {
  const auto now = static_cast<std::int64_t>(std::floor(ms));
  if (state_.entry_number == -1) state_.time_origin_ms = pinned_origin_ ? *pinned_origin_ : now;
  std::int64_t e = now - state_.time_origin_ms;
  if (e < 0) e = 0;  // an origin ahead of the clock (set by hand) shows the track start
  return time_code_of_ms(static_cast<std::uint64_t>(e));
}

void EncoderLink::set_track_origin(std::optional<std::int64_t> origin_ms) {
  pinned_origin_ = origin_ms;
  if (origin_ms && state_.entry_number != -1) state_.time_origin_ms = *origin_ms;
}

std::int64_t EncoderLink::track_ms_of(double ms) const {
  const auto now = static_cast<std::int64_t>(std::floor(ms));
  const std::int64_t origin = state_.entry_number != -1 ? state_.time_origin_ms : pinned_origin_.value_or(now);
  return std::max<std::int64_t>(now - origin, 0);
}

std::int64_t EncoderLink::track_ms_now() const {
  return track_ms_of(read_time_ ? clock_.elapsed_ms_at(*read_time_) : clock_.elapsed_ms());
}

DepthReading EncoderLink::reading_at(std::int64_t track_ms, std::optional<std::int64_t> raw) const {
  DepthReading r;
  r.track_ms = track_ms;
  r.board_count = raw;
  r.tics = state_.tics;
  r.depth_m = state_.depth_m;
  if (state_.water_zero >= 0) r.water_depth_m = state_.water_depth_m;
  return r;
}

DepthReading EncoderLink::reading_now() const {
  DepthReading r = reading_at(track_ms_now());
  r.depth_m = depth_at(state_.tics);
  if (state_.water_zero >= 0) {
    r.water_depth_m = static_cast<double>(static_cast<std::int64_t>(state_.tics) - state_.water_zero) *
                      state_.metres_per_turn / kTicsPerTurn;
  }
  return r;
}

int EncoderLink::add_reading_listener(ReadingListener listener) {
  reading_listeners_.emplace_back(++next_listener_id_, std::move(listener));
  return next_listener_id_;
}

void EncoderLink::remove_reading_listener(int id) {
  std::erase_if(reading_listeners_, [id](const auto& l) { return l.first == id; });
}

void EncoderLink::depth_event(DepthEvent event, std::int64_t track_ms, const std::string& detail) {
  if (fields_.RadioGroup1 != 0) return;
  depth_sink_->event(event, reading_at(track_ms), detail);
}

void EncoderLink::note_circumference(double metres_per_turn) {
  if (!recorded_metres_per_turn_) {
    recorded_metres_per_turn_ = metres_per_turn;
    return;
  }
  if (*recorded_metres_per_turn_ == metres_per_turn) return;
  recorded_metres_per_turn_ = metres_per_turn;
  // Millimetres with a point whatever the decimal separator typed.
  char buf[64];
  const auto r =
      std::to_chars(buf, buf + sizeof buf, std::round(metres_per_turn * 1e6) / 1e3, std::chars_format::fixed);
  depth_event(DepthEvent::Calibration, track_ms_now(), std::string(buf, r.ptr));
}

void EncoderLink::title_step() {
  state_.current_time_code = entry_end_code();
  if (next_entry_number() == 0) {
    state_.previous_time_code = "00:00:00,000";
    std::string start = default_date_time_text(clock_.local_now());
    replace_first_char('-', 'h', start);
    replace_first_char('-', ':', start);
    state_.track_start_text = start;
    // A pinned origin is the track's start: the first entry begins there.
    if (pinned_origin_) state_.current_time_code = state_.previous_time_code;
  }
  if (state_.entry_number > 0) {
    state_.track_prefix = borehole_prefix();
    write_entry({state_.entry_number,
                 state_.previous_time_code,
                 state_.current_time_code,
                 {trim_blanks(state_.track_prefix) + "  " + state_.track_start_text, padding_line_, padding_line_}});
  }
  state_.previous_time_code = state_.current_time_code;
}

std::string EncoderLink::borehole_prefix() const {
  const std::string& name = main_.Edit_nom_forage;
  std::string prefix = name;
  if (name == "forage" || name.find_first_not_of(' ') == std::string::npos) {
    prefix = std::string(1, static_cast<char>(edit13_code()));
  }
  return pad_right(prefix, prefix_width());
}

void EncoderLink::gap_entry(bool restored) {
  if (!lost_at_) return;
  const bool started = state_.entry_number != -1;
  const std::string end = entry_end_code();
  if (!started) state_.previous_time_code = "00:00:00,000";
  const double end_ms = read_time_ ? clock_.elapsed_ms_at(*read_time_) : clock_.elapsed_ms();
  const double lost_ms = clock_.elapsed_ms_at(*lost_at_);
  const std::string start = time_code_of(lost_ms);
  const double seconds = std::max(0.0, end_ms - lost_ms) / 1000.0;
  const std::int32_t number = next_entry_number();
  state_.current_time_code = end;
  write_entry({number,
               state_.previous_time_code,
               end,
               {"liaison encodeur perdue " + format_pattern(seconds, "0.0") + " s (" + start + " \xE0 " + end +
                (restored ? ")" : ", non r\xE9tablie)") + ", profondeur \xE0 v\xE9rifier"}});
  state_.previous_time_code = end;
}

void EncoderLink::depth_entry(const std::string& depth_line) {
  write_entry({next_entry_number(), state_.previous_time_code, state_.current_time_code, {depth_line}});
}

void EncoderLink::write_entry(const SrtEntry& entry) {
  for (std::string& line : entry.lines()) trace(Memo::Memo5, std::move(line));
}

void EncoderLink::RadioGroup1Click(int index) {
  const bool was_acquiring = fields_.RadioGroup1 == 0;
  fields_.RadioGroup1 = index;
  // An acquisition that ends while the link is down shows the loss up to its end.
  if (was_acquiring && index != 0 && link_lost_ && lost_at_) {
    gap_entry(false);
    lost_at_ = std::chrono::steady_clock::now();
  }
  RadioGroup1Click();
}

void EncoderLink::RadioGroup1Click() {
  if (fields_.RadioGroup1 != 0) return;
  state_.line_count = 0;
  clear_memo(Memo::Memo5);
  // The circumference at the start is the record's own; only a change from it is an event.
  try {
    recorded_metres_per_turn_ = circumference_m();
  } catch (const ConversionError&) {
    recorded_metres_per_turn_.reset();
  }
  // Lines that come from the first polls carry this acquisition's name, not the last one's.
  try {
    state_.track_prefix = borehole_prefix();
  } catch (const ConversionError&) {
    // Edit13 or Edit14 does not convert: every poll reports it; the name goes in unpadded.
    const std::string& name = main_.Edit_nom_forage;
    state_.track_prefix = name == "forage" || name.find_first_not_of(' ') == std::string::npos ? "" : name;
  }
}

void EncoderLink::Button5Click() { save_track("TestVLC.srt"); }

void EncoderLink::save_track(const std::string& path) const {
  // The one SRT writer: whole or not at all, the old file kept on a failure.
  const std::vector<std::string> lines(track().begin(), track().end());
  if (!write_text_lines(path, lines)) throw FileError(cannot_create_file_text(path));
}

}  // namespace wellvue
