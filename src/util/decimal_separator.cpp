#include "util/decimal_separator.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <locale>
#include <stdexcept>
#include <string>
#include <string_view>

namespace wellvue {
namespace {

std::atomic<char> g_separator{'.'};

// The locale's name as the C library would choose it for LC_NUMERIC.
std::string numeric_locale_name() {
  for (const char* var : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* v = std::getenv(var);
    if (v != nullptr && *v != '\0') return v;
  }
  return "C";
}

// Languages whose usual decimal mark is the comma; used only when the named locale is not
// installed on this machine, so that a French user still gets a comma.
bool language_uses_comma(std::string_view name) {
  static constexpr std::array<std::string_view, 24> kComma = {"fr", "de", "es", "it", "pt", "nl", "ru", "pl",
                                                              "cs", "sk", "da", "nb", "nn", "sv", "fi", "tr",
                                                              "el", "hu", "ro", "bg", "uk", "hr", "sl", "ca"};
  const auto cut = name.find_first_of("_.@");
  const std::string_view lang = name.substr(0, cut);
  return std::find(kComma.begin(), kComma.end(), lang) != kComma.end();
}

}  // namespace

char decimal_separator() { return g_separator.load(std::memory_order_relaxed); }

void set_decimal_separator(char c) { g_separator.store(c, std::memory_order_relaxed); }

void init_decimal_separator_from_locale() {
  const std::string name = numeric_locale_name();
  char sep = '.';
  try {
    const std::locale loc(name.c_str());
    sep = std::use_facet<std::numpunct<char>>(loc).decimal_point();
  } catch (const std::runtime_error&) {
    sep = language_uses_comma(name) ? ',' : '.';
  }
  set_decimal_separator(sep);
}

}  // namespace wellvue
