#include "export/subtitle_cues.h"

#include <algorithm>
#include <optional>

#include "util/cp1252.h"
#include "util/srt_entry.h"
#include "util/text_file.h"
#include "util/time_code.h"

namespace wellvue::exporting {
namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool is_number_line(std::string_view s) {
  s = trimmed(s);
  if (!s.empty() && s.front() == '-') s.remove_prefix(1);
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Start and end of a time line "hh:mm:ss,mmm --> hh:mm:ss,mmm".
std::optional<std::pair<std::int64_t, std::int64_t>> time_line(std::string_view s) {
  const auto arrow = s.find(SrtEntry::kArrow);
  if (arrow == std::string_view::npos) return std::nullopt;
  const auto a = time_code_to_ms(trimmed(s.substr(0, arrow)));
  const auto b = time_code_to_ms(trimmed(s.substr(arrow + SrtEntry::kArrow.size())));
  if (!a || !b) return std::nullopt;
  return std::pair{*a, *b};
}

// Length of the UTF-8 sequence starting at s[i], 0 when it is not a valid one.
std::size_t utf8_length(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  if (n == 2 && c < 0xC2) return 0;  // overlong
  return n;
}

}  // namespace

std::string valid_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = utf8_length(text, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

std::vector<Cue> read_srt_cues(std::string_view bytes, TextEncoding encoding) {
  if (encoding == TextEncoding::Utf8 && bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  const std::vector<std::string> lines = split_text_lines(bytes);
  std::vector<Cue> cues;
  std::size_t i = 0;
  while (i < lines.size()) {
    // An entry: its number, its time line, its text lines up to a blank line.
    if (!is_number_line(lines[i]) || i + 1 >= lines.size()) {
      ++i;
      continue;
    }
    const auto times = time_line(lines[i + 1]);
    if (!times) {
      ++i;
      continue;
    }
    i += 2;
    Cue cue{times->first, times->second, {}};
    for (bool first = true; i < lines.size() && !lines[i].empty(); ++i, first = false) {
      if (!first) cue.text += '\n';
      cue.text += encoding == TextEncoding::Cp1252 ? cp1252_to_utf8(lines[i]) : valid_utf8(lines[i]);
    }
    cues.push_back(std::move(cue));
  }
  return cues;
}

std::vector<Cue> cues_within(std::vector<Cue> cues, std::int64_t duration_ms, bool no_overlap) {
  std::stable_sort(cues.begin(), cues.end(), [](const Cue& a, const Cue& b) { return a.start_ms < b.start_ms; });
  std::vector<Cue> out;
  for (std::size_t i = 0; i < cues.size(); ++i) {
    Cue c = cues[i];
    c.start_ms = std::max<std::int64_t>(c.start_ms, 0);
    c.end_ms = std::min(c.end_ms, duration_ms);
    if (no_overlap && i + 1 < cues.size()) c.end_ms = std::min(c.end_ms, cues[i + 1].start_ms);
    if (c.start_ms >= duration_ms || c.end_ms <= c.start_ms || c.text.empty()) continue;
    out.push_back(std::move(c));
  }
  return out;
}

}  // namespace wellvue::exporting
