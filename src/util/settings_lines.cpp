#include "util/settings_lines.h"

#include <utility>

#include "util/numbers.h"
#include "util/text.h"

namespace wellvue {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

void add_line(SettingsLines& list, std::string_view key, std::string_view value) {
  std::string line(key);
  line += " = ";
  line += value;
  list.push_back(std::move(line));
}

}  // namespace

void settings_add_bool(SettingsLines& list, std::string_view key, bool flag) {
  add_line(list, key, flag ? "true" : "false");
}

void settings_add_text(SettingsLines& list, std::string_view key, std::string_view text) { add_line(list, key, text); }

void settings_add_int(SettingsLines& list, std::string_view key, long long number) {
  add_line(list, key, int_text(number));
}

std::string settings_read_text(const SettingsLines& list, std::string_view key, std::string_view def) {
  for (const std::string& line : list) {
    const auto eq = line.find('=');
    if (eq == std::string::npos || eq != key.size() + 1) continue;
    const std::string_view name(line.data(), eq);
    if (name.back() != ' ' || !same_ignoring_case(name.substr(0, key.size()), key)) continue;
    std::string value = trim_blanks(std::string_view(line).substr(eq + 1));
    return value.empty() ? std::string(def) : value;
  }
  return std::string(def);
}

bool settings_read_bool(const SettingsLines& list, std::string_view key, std::string_view def_text) {
  return settings_read_text(list, key, def_text) == "true";
}

std::int32_t settings_read_int(const SettingsLines& list, std::string_view key, std::int32_t def) {
  const std::string value = settings_read_text(list, key, "");
  return value.empty() ? def : parse_int(value);
}

}  // namespace wellvue
