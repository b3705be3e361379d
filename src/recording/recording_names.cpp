#include "recording/recording_names.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace wellvue {
namespace {

bool ends_with_any_case(const std::string& s, std::string_view tail) {
  return s.size() > tail.size() &&
         std::equal(tail.begin(), tail.end(), s.end() - static_cast<long>(tail.size()), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         });
}

bool is_file(const std::string& p) {
  std::error_code ec;
  return std::filesystem::is_regular_file(p, ec);
}

std::string either_case(const std::string& base, const std::string& lower, const std::string& upper) {
  return !is_file(base + lower) && is_file(base + upper) ? base + upper : base + lower;
}

}  // namespace

RecordingNames recording_names(const std::string& name) {
  RecordingNames n;
  n.base = name;
  // The two-part endings first: "P12.obs.srt" is not the subtitles of "P12.obs".
  for (std::string_view ext : {".obs.srt", ".depth.csv", ".avi", ".srt"})
    if (ends_with_any_case(name, ext)) {
      n.base.resize(name.size() - ext.size());
      break;
    }
  n.avi = either_case(n.base, ".avi", ".AVI");
  n.srt = either_case(n.base, ".srt", ".SRT");
  n.observations = n.base + ".obs.srt";
  n.depth_record = n.base + ".depth.csv";
  return n;
}

}  // namespace wellvue
