#include "util/depth_record_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/file_error.h"
#include "util/numbers.h"

namespace wellvue {
namespace {

constexpr std::size_t kColumns = 7;

[[noreturn]] void bad_line(const std::string& name, std::size_t line, const std::string& what) {
  throw ConversionError((name.empty() ? std::string() : name + " : ") + "relev\xE9 de profondeur illisible, ligne " +
                        std::to_string(line) + " : " + what);
}

// The fields of the record starting at `pos` (RFC 4180: a quoted field may hold line breaks and
// doubled quotes); pos moves past its line end. `line` counts the line breaks read.
std::vector<std::string> read_csv_record(std::string_view text, std::size_t& pos, std::size_t& line,
                                         const std::string& name) {
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
      bad_line(name, start_line, "texte apr\xE8s un champ entre guillemets");
    } else {
      fields.back() += c;
    }
  }
  if (quoted) bad_line(name, start_line, "guillemet non ferm\xE9");
  ++line;
  return fields;
}

DepthRecordRow row_of(std::vector<std::string> f, std::size_t at, const std::string& name) {
  if (f.size() != kColumns) bad_line(name, at, std::to_string(f.size()) + " champs au lieu de 7");
  DepthRecordRow r;
  const auto ms = read_whole<std::int64_t>(f[0]);
  const auto tics = read_whole<std::int32_t>(f[3]);
  const auto depth = read_decimal(f[4]);
  if (!ms || !tics || !depth || f[1].empty()) bad_line(name, at, "valeur illisible");
  r.video_ms = *ms;
  r.event = f[1];
  if (!f[2].empty()) {
    r.raw = read_whole<std::int64_t>(f[2]);
    if (!r.raw) bad_line(name, at, "compte illisible");
  }
  r.tics = *tics;
  r.depth_m = *depth;
  if (!f[5].empty()) {
    r.water_depth_m = read_decimal(f[5]);
    if (!r.water_depth_m) bad_line(name, at, "profondeur sous l'eau illisible");
  }
  r.detail = f[6];
  r.fields = std::move(f);
  return r;
}

}  // namespace

std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string q = "\"";
  for (char c : text) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
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
  return s + std::string(kDepthRecordColumns) + "\n";
}

const std::string* DepthRecordFile::header_value(std::string_view key) const {
  for (const auto& [k, v] : header)
    if (k == key) return &v;
  return nullptr;
}

std::optional<double> DepthRecordFile::header_number(std::string_view key) const {
  const std::string* v = header_value(key);
  return v ? read_decimal(*v) : std::nullopt;
}

void DepthRecordFile::set_header_value(std::string_view key, std::string value) {
  for (auto& [k, v] : header) {
    if (k == key) {
      v = std::move(value);
      return;
    }
  }
  header.emplace_back(std::string(key), std::move(value));
}

DepthRecordFile parse_depth_record(std::string_view text, const std::string& name) {
  DepthRecordFile record;
  std::size_t pos = 0, line = 1;
  auto next_line = [&] {
    const std::size_t end = text.find('\n', pos);
    std::string_view l = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    return l;
  };
  if (next_line() != kDepthRecordFirstLine) bad_line(name, 1, "ce n'est pas un relev\xE9 de profondeur Wellvue");
  for (;;) {
    ++line;
    if (pos >= text.size()) bad_line(name, line, "ligne des colonnes absente");
    const std::string_view l = next_line();
    if (l.starts_with("# ")) {
      const std::size_t colon = l.find(':', 2);
      if (colon == std::string_view::npos) bad_line(name, line, "en-t\xEAte sans \xAB cl\xE9 : valeur \xBB");
      std::string_view value = l.substr(colon + 1);
      if (value.starts_with(' ')) value.remove_prefix(1);
      record.header.emplace_back(std::string(l.substr(2, colon - 2)), std::string(value));
      continue;
    }
    if (l != kDepthRecordColumns) bad_line(name, line, "colonnes inattendues");
    break;
  }
  ++line;
  while (pos < text.size()) {
    const std::size_t at = line;
    std::vector<std::string> f = read_csv_record(text, pos, line, name);
    if (f.size() == 1 && f[0].empty()) continue;  // an empty line
    record.rows.push_back(row_of(std::move(f), at, name));
  }
  return record;
}

DepthRecordFile read_depth_record_file(const std::string& path) {
  const std::string name = utf8_to_cp1252(path);
  std::error_code ec;
  std::ifstream in(path, std::ios::binary);
  if (!std::filesystem::is_regular_file(path, ec) || !in) throw FileError(cannot_open_file_text(name));
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw FileError(cannot_open_file_text(name));
  return parse_depth_record(text, name);
}

std::string depth_record_file_text(const DepthRecordFile& record) {
  std::string out = depth_header_text(record.header);
  for (const DepthRecordRow& row : record.rows) {
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
      if (i > 0) out += ',';
      out += csv_field(row.fields[i]);
    }
    out += '\n';
  }
  return out;
}

}  // namespace wellvue
