#include <cstdint>
#include <cmath>
#include <cstdlib>

#include "encoder/encoder_link.h"
#include "util/conversion_error.h"
#include "util/depth_text.h"
#include "util/numbers.h"
#include "util/settings_values.h"
#include "util/text.h"
#include "util/time_code.h"
#include "util/typed_number.h"

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

void EncoderLink::after_reads_made(const std::function<void()>& change) {
  const auto after_reads = handle_completed_reads();
  struct Stamp {
    std::optional<PollReader::ReadTime>& slot;
    ~Stamp() { slot.reset(); }
  } stamp{read_time_};
  read_time_ = after_reads;
  change();
}

void EncoderLink::curb_zero_now() { after_reads_made([this] { curb_zero_after_reads(); }); }

void EncoderLink::curb_zero_after_reads() {
  state_.curb_zero = state_.tics;
  // The camera is at the curb: the depth there is the start depth, whatever a recording's start
  // carried over.
  state_.depth_offset_m = 0;
  const std::int64_t start_ms = time_code_to_ms(state_.previous_time_code).value_or(track_ms_now());
  depth_event(DepthEvent::CurbZero, start_ms);
  zeroing_entry("margelle a zero...." + repeat_char(' ', 23) + spaced_depth_text(state_.start_depth_cm / 100.0));
}

void EncoderLink::correct_depth_to(double true_depth_m) {
  after_reads_made([&] { correct_depth_after_reads(true_depth_m); });
}

void EncoderLink::correct_depth_after_reads(double true_depth_m) {
  const double shift = true_depth_m - depth_at(state_.tics);
  state_.depth_offset_m += shift;
  state_.depth_m = depth_at(state_.tics);
  const std::int64_t start_ms = time_code_to_ms(state_.previous_time_code).value_or(track_ms_now());
  depth_event(DepthEvent::DepthCorrection, start_ms, (shift >= 0 ? "+" : "") + fixed_text(shift, 3));
  zeroing_entry("profondeur corrig\xE9"
                "e \xE0" +
                spaced_depth_text(true_depth_m) + " (" + (shift >= 0 ? "+" : "") + format_pattern(shift, "0.00") +
                " m)");
}

void EncoderLink::SpeedButton2Click() {
  if (!prompter_.ask_yes_no("Mettre \xE0 z\xE9ro le niveau de l'eau ?")) return;
  after_reads_made([this] { water_zero_after_reads(); });
}

void EncoderLink::water_zero_after_reads() {
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
  const std::string& typed = fields_.ComboBox2;
  const TypedWhole cm = read_typed_whole(typed, "cm");
  if (!cm.number) {
    prompter_.inform(
        " valeur erronn\xE9"
        "e : " +
        typed);
    return;
  }
  if (!cm.whole) throw ConversionError(not_an_integer_text(typed));
  state_.start_depth_cm = *cm.whole;
  show_start_depth(set_field);
}

void EncoderLink::set_start_depth_cm(std::int32_t cm) { state_.start_depth_cm = cm; }

void EncoderLink::show_start_depth(bool set_field) {
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
  const std::string& typed = sender == Sender::MainWindow ? main_.Edit_longueur : fields_.Edit_longueur;
  const bool no_length = typed.find_first_of("0123456789") == std::string::npos;
  if (no_length || state_.calibration_stop_tics == state_.calibration_start_tics) {
    prompter_.inform(
        "rotation non d\xE9tect\xE9"
        "e...");
    return;
  }
  const std::optional<double> length = read_typed_number(typed, "m");
  if (!length) throw ConversionError(not_a_float_text(typed));
  if (*length <= 0) {
    prompter_.inform(
        " valeur erronn\xE9"
        "e : " +
        typed);
    return;
  }
  state_.calibration_length_m = *length;
  const std::int64_t tics =
      std::llabs(static_cast<std::int64_t>(state_.calibration_stop_tics) - state_.calibration_start_tics);
  const double mm_per_turn = state_.calibration_length_m * 1000.0 / static_cast<double>(tics) * kTicsPerTurn;
  const std::string circ = format_pattern(mm_per_turn, " 0");
  // Refused or taken, the run is over: the buttons go back to a new start.
  set_enabled(Button::MainBitBtnStop, false);
  set_enabled(Button::MainBitBtnStart, true);
  set_enabled(Button::LinkBitBtnStop, false);
  set_enabled(Button::LinkBitBtnStart, true);
  if (!plausible_circumference(std::round(mm_per_turn))) return;
  set_text(Control::MainEditCirc, circ);
  set_text(Control::LinkEditCirc, circ);
  circumference_typed();
}

void EncoderLink::BitBtn_manuClick(Sender sender) {
  const std::string& typed = sender == Sender::MainWindow ? main_.Edit_circ : fields_.Edit_circ;
  const std::optional<double> mm = read_typed_number(typed, "mm");
  if (!mm || *mm <= 0) {
    prompter_.inform("valeur num\xE9rique invalide..." + (typed.empty() ? std::string() : " " + typed));
    return;
  }
  if (!plausible_circumference(*mm)) return;
  // The number alone, with the decimal mark the depth reads back whatever was typed.
  std::string text = format_pattern(*mm, "0.###");
  set_text(Control::MainEditCirc, text);
  set_text(Control::LinkEditCirc, text);
  circumference_typed();
}

bool EncoderLink::plausible_circumference(double mm_per_turn) {
  // The circumference the depth counts with now; none readable: nothing to compare with.
  const std::optional<double> in_use = read_typed_number(fields_.Edit_circ, "mm");
  if (!in_use || *in_use <= 0) return true;
  const double change = std::fabs(mm_per_turn - *in_use) / *in_use;
  if (change <= kPlausibleCircumferenceChange) return true;
  return prompter_.ask_yes_no(
      "La circonf\xE9rence de " + format_pattern(mm_per_turn, "0.#") + " mm par tour s'\xE9"
      "carte de " +
      format_pattern(change * 100, "0") + " % de celle en usage (" + format_pattern(*in_use, "0.#") +
      " mm).\n\nLa prendre quand m\xEAme ?");
}

void EncoderLink::circumference_typed() {
  if (fields_.RadioGroup1 != 0) return;
  try {
    note_circumference(circumference_m());
  } catch (const ConversionError&) {
    // Not a number: the next line reports it.
  }
}

}  // namespace wellvue
