#include "subtitles/depth_record_reader.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/file_error.h"

namespace wellvue {
namespace {

constexpr std::size_t kColumns = 7;

std::string bad_record_text(const std::string& name, const std::string& why) {
  return "Le fichier " + name + " n'est pas un relev\xe9 de profondeur lisible : " + why;
}

std::optional<std::int64_t> whole_number(std::string_view text) {
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

// The record's numbers always have a point, whatever the locale.
std::optional<double> point_number(std::string_view text) {
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

// RFC 4180 records over LF (or CR LF) line ends; a quoted field may hold line breaks.
std::vector<std::vector<std::string>> csv_records(std::string_view text, std::size_t& bad_at) {
  std::vector<std::vector<std::string>> out;
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false, any = false;
  bad_at = 0;
  std::size_t line = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        if (c == '\n') ++line;
        field += c;
      }
      continue;
    }
    if (c == '"' && field.empty()) {
      quoted = any = true;
    } else if (c == ',') {
      fields.push_back(std::move(field));
      field.clear();
      any = true;
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (any || !field.empty()) {
        fields.push_back(std::move(field));
        out.push_back(std::move(fields));
      }
      fields.clear();
      field.clear();
      any = false;
      ++line;
    } else {
      field += c;
      any = true;
    }
  }
  if (quoted && bad_at == 0) bad_at = line;
  // A last row without its line end is whole when it has its seven fields.
  if (any || !field.empty()) {
    fields.push_back(std::move(field));
    out.push_back(std::move(fields));
  }
  return out;
}

std::string csv_field(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

const std::string* DepthRecordText::header_value(std::string_view key) const {
  for (const auto& [k, v] : header)
    if (k == key) return &v;
  return nullptr;
}

void DepthRecordText::set_header_value(std::string_view key, std::string value) {
  for (auto& [k, v] : header) {
    if (k == key) {
      v = std::move(value);
      return;
    }
  }
  header.emplace_back(std::string(key), std::move(value));
}

std::string record_metres_text(double metres) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", metres);
  std::string text = buf;
  if (text == "-0.000") text = "0.000";
  return text;
}

DepthRecordText parse_depth_record_text(std::string_view text, const std::string& name) {
  DepthRecordText record;
  std::size_t pos = 0;
  auto next_line = [&]() {
    const std::size_t end = text.find('\n', pos);
    std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  };
  if (next_line() != kDepthRecordFirstLine) throw ConversionError(bad_record_text(name, "premi\xe8re ligne inconnue"));
  std::string_view line;
  while (pos < text.size()) {
    line = next_line();
    if (!line.starts_with("# ")) break;
    const std::size_t colon = line.find(": ");
    if (colon == std::string_view::npos) continue;  // a comment the writer may add
    record.header.emplace_back(std::string(line.substr(2, colon - 2)), std::string(line.substr(colon + 2)));
  }
  if (line != kDepthRecordColumns) throw ConversionError(bad_record_text(name, "ligne des colonnes absente"));

  auto header_number = [&](std::string_view key, bool required) -> std::optional<double> {
    const std::string* v = record.header_value(key);
    if (!v) {
      if (required) throw ConversionError(bad_record_text(name, "cl\xe9 " + std::string(key) + " absente"));
      return std::nullopt;
    }
    const auto n = point_number(*v);
    if (!n) throw ConversionError(bad_record_text(name, "valeur de " + std::string(key) + " illisible : " + *v));
    return n;
  };
  record.circumference_mm = *header_number("circumference_mm_per_turn", true);
  const double tpt = *header_number("tics_per_turn", true);
  if (tpt < 1 || tpt != std::floor(tpt) || tpt > 1e6)
    throw ConversionError(bad_record_text(name, "tics_per_turn incorrect"));
  record.tics_per_turn = static_cast<int>(tpt);
  record.curb_zero_tics = static_cast<std::int64_t>(header_number("curb_zero_tics", false).value_or(0));
  record.start_depth_m = header_number("start_depth_m", false).value_or(0);
  record.depth_offset_m = header_number("depth_offset_m", false).value_or(0);

  std::size_t bad_at = 0;
  auto records = csv_records(text.substr(pos), bad_at);
  if (bad_at != 0) throw ConversionError(bad_record_text(name, "guillemets non ferm\xe9s"));
  record.rows.reserve(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    auto& f = records[i];
    const std::string where = "ligne " + std::to_string(i + 1) + " apr\xe8s les colonnes";
    if (f.size() != kColumns) throw ConversionError(bad_record_text(name, where + " : nombre de colonnes"));
    DepthRecordRow row;
    const auto ms = whole_number(f[0]);
    const auto tics = whole_number(f[3]);
    const auto depth = point_number(f[4]);
    if (!ms || !tics || !depth) throw ConversionError(bad_record_text(name, where + " illisible"));
    row.video_ms = *ms;
    row.event = f[1];
    if (!f[2].empty()) {
      row.raw = whole_number(f[2]);
      if (!row.raw) throw ConversionError(bad_record_text(name, where + " illisible"));
    }
    row.tics = *tics;
    row.depth_m = *depth;
    if (!f[5].empty()) {
      row.water_depth_m = point_number(f[5]);
      if (!row.water_depth_m) throw ConversionError(bad_record_text(name, where + " illisible"));
    }
    row.detail = f[6];
    row.fields = std::move(f);
    record.rows.push_back(std::move(row));
  }
  return record;
}

DepthRecordText read_depth_record_text(const std::filesystem::path& path) {
  const std::string name = utf8_to_cp1252(path.string());
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError(cannot_open_file_text(name));
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw FileError(cannot_open_file_text(name));
  return parse_depth_record_text(text, name);
}

std::string depth_record_text(const DepthRecordText& record) {
  std::string out(kDepthRecordFirstLine);
  out += '\n';
  for (const auto& [k, v] : record.header) out += "# " + k + ": " + v + "\n";
  out += kDepthRecordColumns;
  out += '\n';
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
