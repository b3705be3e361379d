#include "recording/depth_record.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/file_error.h"
#include "util/text_file.h"

namespace wellvue {

namespace {

// std::to_chars never looks at the locale: the station's decimal separator never reaches the file.
std::string fixed_text(double v, int decimals) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  std::string s(buf, r.ptr);
  if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);  // no "-0.000"
  return s;
}

std::string shortest_text(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  std::string s(buf, r.ptr);
  if (s == "-0") s = "0";
  return s;
}

std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string q = "\"";
  for (char c : text) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

[[noreturn]] void bad_line(std::size_t line, const std::string& what) {
  throw ConversionError("relev\xE9 de profondeur illisible, ligne " + std::to_string(line) + " : " + what);
}

template <typename T>
std::optional<T> number(const std::string& s) {
  T v{};
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

// The fields of the record starting at `pos` (RFC 4180: a quoted field may hold line breaks and
// doubled quotes); pos moves past its line end. `line` counts the line breaks read.
std::vector<std::string> read_csv_record(const std::string& text, std::size_t& pos, std::size_t& line) {
  std::vector<std::string> fields(1);
  const std::size_t start_line = line;
  bool quoted = false;
  bool was_quoted = false;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (quoted) {
      if (c == '"') {
        if (pos < text.size() && text[pos] == '"') {
          fields.back() += '"';
          ++pos;
        } else {
          quoted = false;
        }
      } else {
        if (c == '\n') ++line;
        fields.back() += c;
      }
      continue;
    }
    if (c == '"' && fields.back().empty() && !was_quoted) {
      quoted = was_quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
      was_quoted = false;
    } else if (c == '\n') {
      ++line;
      if (!fields.back().empty() && fields.back().back() == '\r') fields.back().pop_back();
      return fields;
    } else if (was_quoted && c != '\r') {
      bad_line(start_line, "texte apr\xE8s un champ entre guillemets");
    } else {
      fields.back() += c;
    }
  }
  if (quoted) bad_line(start_line, "guillemet non ferm\xE9");
  ++line;
  return fields;
}

}  // namespace

DepthHeader depth_header(const DepthRecordStart& s) {
  return {{"bore", s.bore},
          {"date", s.date},
          {"station", s.station},
          {"circumference_mm_per_turn", shortest_text(s.circumference_mm_per_turn)},
          {"sign", std::to_string(s.sign)},
          {"tics_per_turn", std::to_string(s.tics_per_turn)},
          {"curb_zero_tics", std::to_string(s.curb_zero_tics)},
          {"start_depth_m", fixed_text(s.start_depth_m, 2)},
          {"depth_offset_m", fixed_text(s.depth_offset_m, 3)},
          {"water_zero_tics", std::to_string(s.water_zero_tics)},
          {"compressor", s.compressor},
          {"frame_rate", shortest_text(s.frame_rate)}};
}

std::string depth_row_text(const DepthRow& r) {
  std::string s = std::to_string(r.video_ms);
  s += ',' + csv_field(r.event) + ',';
  if (r.raw) s += std::to_string(*r.raw);
  s += ',' + std::to_string(r.tics) + ',' + fixed_text(r.depth_m, 3) + ',';
  if (r.water_depth_m) s += fixed_text(*r.water_depth_m, 3);
  s += ',' + csv_field(r.detail);
  return s;
}

std::string depth_header_text(const DepthHeader& header) {
  std::string s = std::string(kDepthRecordFirstLine) + "\n";
  for (const auto& [key, value] : header) {
    // A line break in a value would end the header line early.
    std::string v = value;
    for (char& c : v)
      if (c == '\n' || c == '\r') c = ' ';
    s += "# " + key + ": " + v + "\n";
  }
  return s + kDepthRecordColumns + "\n";
}

std::string depth_record_name(const std::string& avi_name) {
  return std::filesystem::path(avi_name).replace_extension(".depth.csv").string();
}

bool DepthJournal::open(const std::string& path, const DepthHeader& header) {
  if (!file_.open(path)) return false;
  file_.append(depth_header_text(header));
  return true;
}

void DepthJournal::row(const DepthRow& row) {
  if (file_.is_open()) file_.append(depth_row_text(row) + "\n");
}

bool write_depth_record(const std::string& path, const DepthHeader& header, const std::vector<DepthRow>& rows) {
  std::vector<std::string> lines;
  lines.reserve(rows.size() + header.size() + 2);
  std::string head = depth_header_text(header);
  head.pop_back();
  lines.push_back(std::move(head));
  for (const DepthRow& r : rows) lines.push_back(depth_row_text(r));
  return write_text_lines_lf(path, lines);
}

DepthRecord read_depth_record(const std::string& path) {
  std::error_code ec;
  std::ifstream in(path, std::ios::binary);
  if (!std::filesystem::is_regular_file(path, ec) || !in) throw FileError(cannot_open_file_text(utf8_to_cp1252(path)));
  std::ostringstream buf;
  buf << in.rdbuf();
  if (in.bad()) throw FileError(cannot_open_file_text(utf8_to_cp1252(path)));
  const std::string text = buf.str();

  DepthRecord record;
  std::size_t pos = 0, line = 1;
  auto next_line = [&] {
    const std::size_t end = text.find('\n', pos);
    std::string l = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    pos = end == std::string::npos ? text.size() : end + 1;
    if (!l.empty() && l.back() == '\r') l.pop_back();
    return l;
  };
  if (next_line() != kDepthRecordFirstLine) bad_line(1, "ce n'est pas un relev\xE9 de profondeur Wellvue");
  for (;;) {
    ++line;
    if (pos >= text.size()) bad_line(line, "ligne des colonnes absente");
    const std::string l = next_line();
    if (l.rfind("# ", 0) == 0) {
      const std::size_t colon = l.find(": ", 2);
      if (colon == std::string::npos) {
        const std::size_t bare = l.find(':', 2);
        if (bare == std::string::npos) bad_line(line, "en-t\xEAte sans \xAB cl\xE9 : valeur \xBB");
        record.header[l.substr(2, bare - 2)] = l.substr(bare + 1);
      } else {
        record.header[l.substr(2, colon - 2)] = l.substr(colon + 2);
      }
      continue;
    }
    if (l != kDepthRecordColumns) bad_line(line, "colonnes inattendues");
    break;
  }
  ++line;
  while (pos < text.size()) {
    const std::size_t at = line;
    const std::vector<std::string> f = read_csv_record(text, pos, line);
    if (f.size() == 1 && f[0].empty()) continue;  // an empty line
    if (f.size() != 7) bad_line(at, std::to_string(f.size()) + " champs au lieu de 7");
    DepthRow r;
    const auto ms = number<std::int64_t>(f[0]);
    const auto tics = number<std::int32_t>(f[3]);
    const auto depth = number<double>(f[4]);
    if (!ms || !tics || !depth || f[1].empty()) bad_line(at, "valeur illisible");
    r.video_ms = *ms;
    r.event = f[1];
    if (!f[2].empty()) {
      r.raw = number<std::int64_t>(f[2]);
      if (!r.raw) bad_line(at, "compte illisible");
    }
    r.tics = *tics;
    r.depth_m = *depth;
    if (!f[5].empty()) {
      r.water_depth_m = number<double>(f[5]);
      if (!r.water_depth_m) bad_line(at, "profondeur sous l'eau illisible");
    }
    r.detail = f[6];
    record.rows.push_back(std::move(r));
  }
  return record;
}

}  // namespace wellvue
