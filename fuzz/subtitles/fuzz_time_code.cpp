// libFuzzer target: any text given to the time-code reader either reads as seconds, reads as -1,
// or raises the conversion error; a time it reads formats back to a code that reads the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "subtitles/time_codes.h"
#include "util/conversion_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wellvue;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  double t = 0;
  try {
    t = parse_time_code(text);
  } catch (const ConversionError&) {
    return 0;
  }
  if (std::isnan(t)) std::abort();
  if (t < 0 && t != -1 && text.size() >= 12 && text[0] != '-' && text[1] != '-' && text[3] != '-' && text[4] != '-' &&
      text[6] != '-' && text[7] != '-')
    std::abort();  // only signs typed into a field make a reading negative
  const std::string code = format_time_code(t);
  if (code.size() < 12 || code.find(',') == std::string::npos) std::abort();
  if (t >= 0 && t < 359999.9995 && code.size() == 12) {
    const double back = parse_time_code(code);
    if (std::fabs(back - t) > 0.0005 + 1e-9) std::abort();
  }
  (void)normalize_duration(text);
  return 0;
}
