#include "util/srt_entry.h"

#include "util/numbers.h"

namespace wellvue {

std::vector<std::string> SrtEntry::lines() const {
  std::vector<std::string> out;
  out.reserve(text.size() + 3);
  out.push_back(int_text(number));
  out.push_back(time_line());
  out.insert(out.end(), text.begin(), text.end());
  out.emplace_back();
  return out;
}

}  // namespace wellvue
