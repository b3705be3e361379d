// libFuzzer target: time lines repaired, scaled and shifted. The first byte picks the factor and
// the amount; the rest is the line. Every result is a time line whose entry never ends before it
// starts after a shift.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "subtitles/time_codes.h"
#include "util/conversion_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wellvue;
  if (size == 0) return 0;
  const double amount = (static_cast<int>(data[0]) - 128) / 8.0;
  const std::string_view line(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string repaired = normalize_time_line(line);
  if (line.find(" --> ") != std::string_view::npos && repaired.find(" --> ") == std::string::npos) std::abort();
  for (const std::string_view l : {line, std::string_view(repaired)}) {
    try {
      const std::string shifted = shift_time_line(l, amount);
      const auto sep = shifted.find(" --> ");
      if (sep == std::string::npos) std::abort();
      const std::string start = shifted.substr(0, sep);
      const std::string end = shifted.substr(sep + 5);
      // Codes of equal length compare as text in time order.
      if (start.size() == end.size() && end < start) std::abort();
    } catch (const ConversionError&) {
    }
    try {
      const std::string scaled = scale_time_line(l, amount);
      if (scaled.find(" --> ") == std::string::npos) std::abort();
    } catch (const ConversionError&) {
    }
  }
  return 0;
}
