#include "report/srt_depths.h"

#include <cctype>
#include <optional>

#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/file_error.h"
#include "util/text.h"
#include "util/text_file.h"
#include "util/time_code.h"

namespace wellvue {

namespace {

// "12.34m" or "-0,50m" (either decimal mark: the station writes its own).
std::optional<double> depth_token(std::string_view t) {
  if (t.size() < 3 || t.back() != 'm') return std::nullopt;
  t.remove_suffix(1);
  std::string s;
  bool mark = false, digits = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '-' && i == 0) {
      s += c;
    } else if ((c == '.' || c == ',') && !mark) {
      mark = true;
      s += '.';
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      digits = true;
      s += c;
    } else {
      return std::nullopt;
    }
  }
  if (!mark || !digits) return std::nullopt;
  try {
    return std::stod(s);
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace

SrtDepths read_srt_depths(const std::string& path) {
  const std::vector<std::string> lines = read_text_lines(path);
  SrtDepths out;
  std::int64_t start = -1;  // of the entry being read; -1: none
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const auto arrow = line.find(" --> ");
    if (arrow != std::string::npos) {
      start = time_code_to_ms(trim_blanks(line.substr(0, arrow))).value_or(-1);
      if (const auto end = time_code_to_ms(trim_blanks(line.substr(arrow + 5))))
        out.last_end_ms = std::max(out.last_end_ms, *end);
      continue;
    }
    if (start < 0 || line.empty()) continue;
    // The depth is the first word that reads as one; what stands before it is the bore's name.
    std::size_t pos = 0;
    while (pos < line.size()) {
      while (pos < line.size() && line[pos] == ' ') ++pos;
      std::size_t end = line.find(' ', pos);
      if (end == std::string::npos) end = line.size();
      if (const auto d = depth_token(std::string_view(line).substr(pos, end - pos))) {
        if (out.points.empty()) out.bore = cp1252_to_utf8(trim_blanks(line.substr(0, pos)));
        out.points.push_back({start, *d});
        break;
      }
      pos = end;
    }
    start = -1;
  }
  return out;
}

}  // namespace wellvue
