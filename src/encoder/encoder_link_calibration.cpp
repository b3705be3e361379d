#include <cstdint>
#include <cstdlib>

#include "encoder/encoder_link.h"
#include "util/conversion_error.h"
#include "util/depth_text.h"
#include "util/numbers.h"
#include "util/settings_values.h"
#include "util/text.h"
#include "util/time_code.h"

namespace wellvue {

void EncoderLink::SpeedButton1Click() {
  if (prompter_.ask_yes_no("Mettre \xE0 z\xE9ro le niveau de la margelle ? (" + fields_.Label22 + ")")) {
    curb_zero_now();
  }
}

void EncoderLink::zeroing_entry(const std::string& text) {
  // Numbered by the count of lines, as the board's lines are counted, not by the track's entries.
  ++state_.line_count;
  state_.current_time_code = entry_end_code();
  write_entry({state_.line_count, state_.previous_time_code, state_.current_time_code, {text}});
  state_.previous_time_code = state_.current_time_code;
  set_text(Control::MainLabel2, text);
}

void EncoderLink::curb_zero_now() {
  // The reads already made come first: the zero takes the latest count, and its entry is timed
  // after their entries and before those of the reads still to come.
  const auto after_reads = handle_completed_reads();
  struct Stamp {
    std::optional<PollReader::ReadTime>& slot;
    ~Stamp() { slot.reset(); }
  } stamp{read_time_};
  read_time_ = after_reads;
  state_.curb_zero = state_.tics;
  const std::int64_t start_ms = time_code_to_ms(state_.previous_time_code).value_or(track_ms_now());
  depth_event(DepthEvent::CurbZero, start_ms);
  zeroing_entry("margelle a zero...." + repeat_char(' ', 23) + spaced_depth_text(state_.start_depth_cm / 100.0));
}

void EncoderLink::SpeedButton2Click() {
  if (!prompter_.ask_yes_no("Mettre \xE0 z\xE9ro le niveau de l'eau ?")) return;
  const auto after_reads = handle_completed_reads();
  struct Stamp {
    std::optional<PollReader::ReadTime>& slot;
    ~Stamp() { slot.reset(); }
  } stamp{read_time_};
  read_time_ = after_reads;
  state_.water_zero = state_.tics;
  state_.water_depth_m = 0.0;
  const std::int64_t start_ms = time_code_to_ms(state_.previous_time_code).value_or(track_ms_now());
  depth_event(DepthEvent::WaterZero, start_ms);
  zeroing_entry("niveau d'eau a zero...(w)" + repeat_char(' ', 10) + depth_text(state_.depth_m) +
                // The water depth at its own zero, as a fixed text: always with a point.
                " w 0.00m");
}

void EncoderLink::SpeedButton4Click() {
  prompter_.inform(
      " cliquer CloseCom puis OpenCom   ou \n  faire un reset sur la carte Arduino \n\n     un tour = 24 "
      "secteurs de 15\xB0");
}

void EncoderLink::start_depth_from_field(bool set_field) {
  const std::string number = numeric_filter(fields_.ComboBox2);
  if (number.empty()) {
    prompter_.inform(
        " valeur erronn\xE9"
        "e : " +
        fields_.ComboBox2);
    return;
  }
  state_.start_depth_cm = parse_int(number);
  const std::string s = int_text(state_.start_depth_cm) + " cm";
  if (set_field) set_text(Control::LinkComboBox2, s);
  set_text(Control::LinkLabel22, s);
  set_text(Control::MainComboBox1, s);
  set_text(Control::MainLabel7, s);
}

void EncoderLink::ComboBox2Click() { start_depth_from_field(true); }
void EncoderLink::ComboBox2Enter() { start_depth_from_field(false); }
void EncoderLink::ComboBox2KeyDown(int key) {
  if (key == 13) ComboBox2Click();
}

void EncoderLink::BitBtn_startClick(Sender sender) {
  state_.calibration_start_tics = state_.tics;
  const std::string zero = int_text(static_cast<std::int64_t>(state_.tics) - state_.calibration_start_tics);
  set_text(Control::LinkLabelTic, zero);
  set_text(Control::MainLabelTic, zero);
  if (sender == Sender::MainWindow) {
    set_enabled(Button::MainBitBtnStart, false);
    set_enabled(Button::MainBitBtnStop, true);
  } else {
    set_enabled(Button::LinkBitBtnStart, false);
    set_enabled(Button::LinkBitBtnStop, true);
  }
}

void EncoderLink::BitBtn_stopClick(Sender sender) {
  state_.calibration_stop_tics = state_.tics;
  const std::string length = numeric_filter(sender == Sender::MainWindow ? main_.Edit_longueur : fields_.Edit_longueur);
  if (length.empty() || state_.calibration_stop_tics == state_.calibration_start_tics) {
    prompter_.inform(
        "rotation non d\xE9tect\xE9"
        "e...");
    return;
  }
  state_.calibration_length_m = parse_int(length);
  const std::int64_t tics =
      std::llabs(static_cast<std::int64_t>(state_.calibration_stop_tics) - state_.calibration_start_tics);
  const double mm_per_turn = state_.calibration_length_m * 1000.0 / static_cast<double>(tics) * kTicsPerTurn;
  const std::string circ = format_pattern(mm_per_turn, " 0");
  set_text(Control::MainEditCirc, circ);
  set_enabled(Button::MainBitBtnStop, false);
  set_enabled(Button::MainBitBtnStart, true);
  set_text(Control::LinkEditCirc, circ);
  set_enabled(Button::LinkBitBtnStop, false);
  set_enabled(Button::LinkBitBtnStart, true);
  circumference_typed();
}

void EncoderLink::BitBtn_manuClick(Sender sender) {
  const std::string text = numeric_filter(sender == Sender::MainWindow ? main_.Edit_circ : fields_.Edit_circ);
  if (text.empty()) {
    prompter_.inform("valeur num\xE9rique invalide...");
    return;
  }
  set_text(Control::MainEditCirc, text);
  set_text(Control::LinkEditCirc, text);
  circumference_typed();
}

void EncoderLink::circumference_typed() {
  if (fields_.RadioGroup1 != 0) return;
  try {
    note_circumference(metres_per_turn_as_typed(fields_.Edit_circ));
  } catch (const ConversionError&) {
    // Not a number: the next line reports it.
  }
}

}  // namespace wellvue
