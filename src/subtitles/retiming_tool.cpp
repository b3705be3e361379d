#include "subtitles/retiming_tool.h"

#include <system_error>

#include "subtitles/time_codes.h"
#include "util/file_error.h"
#include "util/numbers.h"
#include "util/settings_file.h"
#include "util/text.h"
#include "util/text_file.h"

namespace wellvue {
namespace fs = std::filesystem;

namespace {

bool is_time_line(std::string_view line) { return line.find(kTimeLineSeparator) != std::string_view::npos; }

// The live track right-aligns its texts with no-break spaces; the tool reads them as commas.
std::string nbsp_to_comma(std::string line) {
  replace_all_char('\xa0', ',', line);
  return line;
}

}  // namespace

std::string last_start_time(const SubtitleLines& lines) {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    const auto p = it->find(kTimeLineSeparator);
    if (p != std::string::npos) return it->substr(0, p);
  }
  return {};
}

fs::path retimed_path(const fs::path& chosen) {
  std::string name = "_";
  name += chosen.filename().string();
  return chosen.parent_path() / name;
}

bool RetimingTool::may_load(bool acquisition_running) {
  if (acquisition_running) prompter_.inform(kStopAcquisitionFirstText);
  return !acquisition_running;
}

bool RetimingTool::choose_file(const fs::path& chosen) {
  chosen_ = chosen;
  std::error_code ec;
  return fs::exists(chosen, ec);
}

SubtitleLines RetimingTool::load_chosen_file() {
  output_visible_ = true;
  SubtitleLines lines = read_text_lines(chosen_);
  output_.clear();
  srt_duration = last_start_time(lines);
  return lines;
}

void RetimingTool::scale(const SubtitleLines& source) {
  const double t1 = parse_time_code(normalize_duration(avi_duration));
  const double t2 = parse_time_code(srt_duration);
  if (t2 == 0) throw ConversionError(t1 == 0 ? kInvalidFloatOperationText : kDivisionByZeroText);
  const double f = t1 / t2;
  prompter_.inform("if faut multiplier SRT par : " + general_number_text(f) + "\n" +
                   "t1 avi = " + general_number_text(t1) + "\n" + "t2 srt = " + general_number_text(t2));
  output_visible_ = false;
  output_.reserve(output_.size() + source.size());
  for (const std::string& line : source) output_.push_back(is_time_line(line) ? scale_time_line(line, f) : line);
  output_visible_ = true;
}

void RetimingTool::reset_t0(const SubtitleLines& source) {
  output_.clear();
  // A source of fewer than two lines has no first time line to read: dt is then unreadable.
  const std::string first = source.size() > 1 ? nbsp_to_comma(source[1]) : std::string();
  const double dt = parse_time_code(first);
  prompter_.inform(first + "\n" + "dt= " + general_number_text(dt));
  std::string offset_text = offset;
  to_locale_separator(offset_text);
  const double shift = offset_text.empty() ? 0.0 : parse_float(offset_text);
  prompter_.inform(
      "d\xe9"
      "calage = " +
      general_number_text(shift));
  output_visible_ = false;
  output_.reserve(source.size());
  long long n = 0;
  for (std::size_t i = 0; i < source.size(); ++i) {
    std::string line = nbsp_to_comma(source[i]);
    if (!is_time_line(line)) {
      output_.push_back(std::move(line));
      continue;
    }
    ++n;
    if (i > 0) output_[i - 1] = int_text(n);
    line = normalize_time_line(line);
    line = shift_time_line(line, dt);
    line = shift_time_line(line, -shift);
    if (i == 1)
      line = "00:00:00,000" + std::string(kTimeLineSeparator) + format_time_code(parse_time_code(end_code_of(line)));
    output_.push_back(std::move(line));
  }
  output_visible_ = true;
}

fs::path RetimingTool::save() {
  if (chosen_.empty()) {
    prompter_.inform(kNoFileChosenText);
    return {};
  }
  const fs::path out = retimed_path(chosen_);
  prompter_.inform(path_text(out));
  if (!write_text_lines(out, output_)) throw FileError(cannot_create_file_text(path_text(out)));
  return out;
}

}  // namespace wellvue
