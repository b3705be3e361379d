// Conversion between the CP1252 bytes the station stores and UTF-8 (Qt, file names, terminals).
#pragma once
#include <string>
#include <string_view>

namespace wellvue {

std::string cp1252_to_utf8(std::string_view cp1252);
// Characters with no CP1252 form become '?'.
std::string utf8_to_cp1252(std::string_view utf8);

}  // namespace wellvue
