#include "srt_layout.h"

#include <regex>

namespace wellvue::test {
namespace {

// Digits masked, so a depth of 0.86m and one of 1.52m have one shape.
std::string shape(const std::string& text) {
  std::string s;
  for (char c : text) s += (c >= '0' && c <= '9') ? '9' : c;
  return s;
}

long long ms_of(const std::string& code) {
  return ((std::stoll(code.substr(0, 2)) * 60 + std::stoll(code.substr(3, 2))) * 60 + std::stoll(code.substr(6, 2))) *
             1000 +
         std::stoll(code.substr(9, 3));
}

}  // namespace

SrtLayout srt_layout(const std::string& bytes) {
  SrtLayout l;
  if (bytes.size() < 4 || bytes.compare(bytes.size() - 4, 4, "\r\n\r\n") != 0) {
    l.problem = "no blank line at the end";
    return l;
  }
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '\r') {
      if (i + 1 >= bytes.size() || bytes[i + 1] != '\n') {
        l.problem = "a CR without LF";
        return l;
      }
      lines.push_back(bytes.substr(start, i - start));
      start = i + 2;
      ++i;
    } else if (c == '\n') {
      l.problem = "an LF without CR";
      return l;
    } else if (c == 0xC2 || c == 0xC3) {
      // The padding character is CP1252 0xA0 and the texts are CP1252: UTF-8 would show here.
      if (i + 1 < bytes.size() && (static_cast<unsigned char>(bytes[i + 1]) & 0xC0) == 0x80) {
        l.problem = "UTF-8 bytes";
        return l;
      }
    }
  }
  static const std::regex time_line(R"((\d\d:\d\d:\d\d,\d\d\d) --> (\d\d:\d\d:\d\d,\d\d\d))");
  std::vector<std::string> texts;
  std::vector<std::string> spans;
  for (std::size_t i = 0; i < lines.size();) {
    if (lines[i] != std::to_string(l.entries + 1)) {
      l.problem = "entry " + std::to_string(l.entries + 1) + " numbered '" + lines[i] + "'";
      return l;
    }
    std::smatch m;
    if (i + 3 >= lines.size() || !std::regex_match(lines[i + 1], m, time_line) || !lines[i + 3].empty()) {
      l.problem = "entry " + std::to_string(l.entries + 1) + " is not number, times, one text, blank";
      return l;
    }
    texts.push_back(lines[i + 2]);
    spans.push_back(m[1].str());
    ++l.entries;
    i += 4;
  }
  if (l.entries < 3) {
    l.problem = "fewer than three entries";
    return l;
  }
  l.first = shape(texts.front());
  for (int e = 1; e + 2 < l.entries; ++e) l.depths.insert(shape(texts[static_cast<std::size_t>(e)]));
  l.closing_depth = shape(texts[texts.size() - 2]);
  l.closing_span = shape(texts.back());
  l.closing_end_ms = ms_of(spans.back());  // the last entry starts where the closing depth ends
  return l;
}

}  // namespace wellvue::test
