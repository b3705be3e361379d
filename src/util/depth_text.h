// The depth as text, both ways. Written: as the station shows it and puts it in its subtitles (two
// decimals with the station's decimal separator, the metre sign after it), as the report and the
// burned-in texts show it, as the depth record holds it. Read: the depth texts of the station's
// subtitles, photo names and observation cues, with a point or a comma whatever this station's
// separator, since a recording may come from a desktop in another language.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace wellvue {

// "12.34m" (the live depth, the water depth).
std::string depth_text(double metres);
// " 12.34 m" (the curb zero's start depth).
std::string spaced_depth_text(double metres);
// "12.34" with the given mark: a subtitle's depth written again with the mark it had.
std::string depth_number_text(double metres, char mark);
// "12,34 m": the report's and the burned-in texts' depth, for French readers on any desktop.
std::string french_depth_text(double metres);
// "12.345": a depth as the depth record holds it, three decimals and a point.
std::string record_depth_text(double metres);

// "12.34m", "12,34m", "-0,50m": the whole text a depth text; nullopt otherwise.
std::optional<double> read_depth_text(std::string_view text);

// A depth number in a line: [begin, end) holds the sign and digits, the unit follows.
struct DepthTextAt {
  std::size_t begin = 0;  // the minus sign or the first digit
  std::size_t end = 0;    // one past the last decimal
  char mark = '.';
  double metres = 0.0;
};

enum class SrtDepthKind { line, curb_zero, water_zero };

// What a line of the station's subtitles shows of the depth.
struct SrtDepthLine {
  SrtDepthKind kind = SrtDepthKind::line;
  std::string_view prefix;  // a depth line's text before the depth: the bore's name, padded
  DepthTextAt depth;
  std::optional<DepthTextAt> water;  // a depth line's water depth
};

// The depth a subtitle line shows: a depth line "<name>12.34m      ---" or "<name>12.34m
// w_3.21m" (the closing entry's too; a water depth without its "w_" or no water part at all are
// read as well), the curb zero's "margelle a zero....  0.00 m" (the start depth) or the water
// zero's "niveau d'eau a zero...(w)  12.34m w 0.00m"; nullopt for any other line. The integer digits of a depth line's depth run back to the first non-digit: a name that
// ends in digits and fills its padding runs into them. The prefix views `line`.
std::optional<SrtDepthLine> read_srt_depth_line(std::string_view line);

}  // namespace wellvue
