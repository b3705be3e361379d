#include <cstdint>
#include <limits>

#include "encoder/encoder_link.h"
#include "util/conversion_error.h"
#include "util/depth_text.h"
#include "util/numbers.h"
#include "util/settings_values.h"
#include "util/text.h"
#include "util/time_code.h"
#include "util/typed_number.h"

namespace wellvue {

double EncoderLink::circumference_m() const {
  const std::optional<double> mm = read_typed_number(fields_.Edit_circ, "mm");
  if (!mm) throw ConversionError(not_a_float_text(fields_.Edit_circ));
  return *mm / 1000.0;
}

int EncoderLink::edit13_code() const { return parse_int(fields_.Edit13) & 0xFF; }
// The padding line takes the low 8 bits of Edit14; the name's padding takes its whole value.
int EncoderLink::edit14_count() const { return parse_int(fields_.Edit14) & 0xFF; }
std::size_t EncoderLink::prefix_width() const {
  const std::int32_t width = parse_int(fields_.Edit14);
  return width < 0 ? 0 : static_cast<std::size_t>(width);
}

void EncoderLink::on_read(const std::string& bytes, PollReader::ReadTime completed) {
  struct Stamp {
    std::optional<PollReader::ReadTime>& slot;
    ~Stamp() { slot.reset(); }
  } stamp{read_time_};
  read_time_ = completed;
  if (!error_handler_) {
    Timer1Timer(bytes);
    return;
  }
  try {
    Timer1Timer(bytes);
  } catch (const ConversionError& e) {
    error_handler_(e.what());
  }
}

void EncoderLink::Timer1Timer(const std::string& read) {
  // Framing first, so that a poll that fails below never cuts a line of the stream in two.
  const FramedBurst framed = framer_.push(read);
  padding_line_ =
      std::string(1, static_cast<char>(edit13_code())) + repeat_char(' ', static_cast<std::size_t>(edit14_count()));
  if (fields_.RadioGroup1 == 0 && state_.line_count == 0 && state_.poll_count % 10 == 0) title_step();
  state_.poll_count = state_.poll_count == std::numeric_limits<std::int32_t>::max() ? 0 : state_.poll_count + 1;
  trace(Memo::Memo1,
        int_text(state_.poll_count) + " | " + read + " | " + int_text(static_cast<long long>(read.size())));
  if (framed.dropped > 0) {
    trace(Memo::Memo1,
          "ligne sans fin ignor\xE9"
          "e : " +
              int_text(static_cast<long long>(framed.dropped)) + " octets");
  }
  const std::string& burst = framed.lines;
  // The same lines again are not decoded again, whether or not a pause of the board took the LF
  // of the previous read away.
  if (burst.size() < 2 || line_content(burst) == line_content(state_.previous_burst)) return;
  trace(Memo::Memo4,
        int_text(state_.poll_count) + " | " + burst + " | " + int_text(static_cast<long long>(burst.size())));
  std::string line;
  for (char c : burst) {
    if (c == '\r') {
      decode_line(line);  // a conversion error ends the poll here; previous_burst stays
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  state_.previous_burst = burst;
}

void EncoderLink::decode_line(const std::string& line) {
  const std::string number = numeric_filter(bar_field(line, 1));
  set_text(Control::LinkLabel1, number);
  const bool acquisition = fields_.RadioGroup1 == 0;
  if (acquisition) {
    ++state_.line_count;
    state_.current_time_code = entry_end_code();
  }
  const std::int64_t sign = fields_.CheckBox3 ? 1 : -1;
  state_.metres_per_turn = circumference_m();
  // The line's entry starts where the entry before it ended.
  const std::int64_t entry_start_ms = time_code_to_ms(state_.previous_time_code).value_or(track_ms_now());
  if (acquisition) note_circumference(state_.metres_per_turn);
  std::optional<std::int64_t> raw;
  if (!number.empty()) {
    raw = parse_int(number);
    const std::int64_t board_count = *raw * sign;
    auto check = [&](std::int64_t c) {
      // -(-2^31) does not fit the count either: the same error as any count out of range.
      if (c > std::numeric_limits<std::int32_t>::max() || c < std::numeric_limits<std::int32_t>::min()) {
        throw ConversionError(not_an_integer_text(number));
      }
    };
    check(board_count);
    // The first count after the port came back: the board started again, the count goes on.
    if (rebase_) {
      state_.tic_offset = static_cast<std::int64_t>(state_.tics) - board_count;
      rebase_ = false;
    }
    const std::int64_t count = board_count + state_.tic_offset;
    check(count);
    state_.tics = static_cast<std::int32_t>(count);
    state_.depth_m = depth_at(state_.tics);
    const std::string tic_text = int_text(static_cast<std::int64_t>(state_.tics) - state_.calibration_start_tics);
    set_text(Control::LinkLabelTic, tic_text);
    set_text(Control::MainLabelTic, tic_text);
  } else {
    state_.depth_m = state_.start_depth_cm / 100.0 + state_.depth_offset_m;
  }
  if (state_.water_zero >= 0) {
    state_.water_depth_m = static_cast<double>(static_cast<std::int64_t>(state_.tics) - state_.water_zero) *
                           state_.metres_per_turn / kTicsPerTurn;
  }
  const DepthReading reading = reading_at(entry_start_ms, raw);
  last_reading_ = reading;
  if (acquisition) {
    depth_entry(state_.track_prefix + depth_reading_text(reading));
    depth_sink_->line(reading);
  }
  view_.show_reading(reading, state_.track_prefix);
  for (const auto& [id, listener] : reading_listeners_) listener(reading);
  if (state_.poll_count == state_.last_line_poll) {
    trace(Memo::Memo2, "     |    " + number);
  } else {
    trace(Memo::Memo2, int_text(state_.poll_count) + "  |    " + number);
  }
  state_.last_line_poll = state_.poll_count;
  state_.previous_time_code = state_.current_time_code;
}

void EncoderLink::on_link(bool lost, const std::string& reason, PollReader::ReadTime at) {
  struct Stamp {
    std::optional<PollReader::ReadTime>& slot;
    ~Stamp() { slot.reset(); }
  } stamp{read_time_};
  read_time_ = at;
  const bool acquisition = fields_.RadioGroup1 == 0;
  if (lost) {
    link_lost_ = true;
    lost_at_ = at;
    const std::string line =
        "encodeur d\xE9"
        "connect\xE9 : " +
        port_name_ + (reason.empty() ? "" : " (" + reason + ")");
    trace(Memo::Memo3, line);
    trace(Memo::Memo1, line);
    if (!lost_shown_) view_.show_link_lost(true);
    lost_shown_ = true;
    depth_event(DepthEvent::EncoderLost, track_ms_of(clock_.elapsed_ms_at(at)));
    return;
  }
  link_lost_ = false;
  rebase_ = true;
  // The board starts again: nothing of what it sent before is waiting for its end any more.
  framer_.reset();
  state_.previous_burst.clear();
  const std::string line = "encodeur reconnect\xE9 : " + reopen_name_;
  trace(Memo::Memo3, line);
  trace(Memo::Memo1, line);
  if (acquisition && lost_at_) gap_entry(true);
  depth_event(DepthEvent::EncoderBack, track_ms_of(clock_.elapsed_ms_at(at)));
  lost_at_.reset();
  lost_shown_ = false;
  view_.show_link_lost(false);
}

}  // namespace wellvue
