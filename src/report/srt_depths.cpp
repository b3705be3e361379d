#include "report/srt_depths.h"

#include "util/cp1252.h"
#include "util/depth_text.h"
#include "util/file_error.h"
#include "util/text.h"
#include "util/text_file.h"
#include "util/time_code.h"

namespace wellvue {

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
    // The entry's first line that shows the depth of its moment (a depth line or a water zero; a
    // curb zero shows the start depth); a depth line's prefix is the bore's name.
    const auto shown = read_srt_depth_line(line);
    if (!shown || shown->kind == SrtDepthKind::curb_zero) continue;
    if (shown->kind == SrtDepthKind::line && out.bore.empty())
      out.bore = cp1252_to_utf8(trim_blanks(std::string(shown->prefix)));
    out.points.push_back({start, shown->depth.metres});
    start = -1;
  }
  return out;
}

}  // namespace wellvue
