#include "export/depth_record.h"

#include <charconv>
#include <cstdio>

#include "util/text_file.h"

namespace wellvue::exporting {
namespace {

std::optional<double> decimal(std::string_view s) {
  if (s.empty()) return std::nullopt;
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<std::int64_t> whole(std::string_view s) {
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

// "2026-12-08 21:50:03"
std::optional<LocalDateTime> date_time(const std::string& s) {
  LocalDateTime t;
  char tail = 0;
  if (std::sscanf(s.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second,
                  &tail) != 6)
    return std::nullopt;
  return t;
}

}  // namespace

std::vector<std::string> csv_fields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::optional<DepthRecord> read_depth_record(std::string_view bytes) {
  const std::vector<std::string> lines = split_text_lines(bytes);
  if (lines.empty() || lines.front() != "# Wellvue depth record 1") return std::nullopt;
  DepthRecord record;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.starts_with("# ")) {
      const auto colon = line.find(": ");
      if (colon == std::string::npos) continue;
      const std::string key = line.substr(2, colon - 2), value = line.substr(colon + 2);
      if (key == "bore") record.bore = value;
      if (key == "date") record.start = date_time(value);
      continue;
    }
    // A detail with a line break continues on the next line: such rows carry no depth change
    // worth showing and are skipped with their continuation.
    const auto f = csv_fields(line);
    if (f.size() < 7) continue;
    const auto ms = whole(f[0]);
    const auto depth = decimal(f[4]);
    if (!ms || !depth) continue;
    record.points.push_back({*ms, *depth, decimal(f[5])});
  }
  return record;
}

}  // namespace wellvue::exporting
