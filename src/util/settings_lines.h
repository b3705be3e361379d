// Settings lines "key = value": building them and looking keys up in a list of lines (CP1252).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wellvue {

using SettingsLines = std::vector<std::string>;

void settings_add_bool(SettingsLines& list, std::string_view key, bool flag);
// The text is written as it is, blanks included.
void settings_add_text(SettingsLines& list, std::string_view key, std::string_view text);
void settings_add_int(SettingsLines& list, std::string_view key, long long number);

// The first line whose text before its first "=" is key + " " (letter case aside) gives its value,
// trimmed of blanks; the default when that value is empty or no line matches.
std::string settings_read_text(const SettingsLines& list, std::string_view key, std::string_view def);
// True exactly when the value read is "true" (case-sensitive).
bool settings_read_bool(const SettingsLines& list, std::string_view key, std::string_view def_text);
// A value that is not a whole decimal number raises ConversionError.
std::int32_t settings_read_int(const SettingsLines& list, std::string_view key, std::int32_t def);

}  // namespace wellvue
