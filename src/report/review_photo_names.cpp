#include "report/review_photo_names.h"

#include <algorithm>
#include <cctype>

#include "util/depth_text.h"
#include "util/numbers.h"

namespace wellvue {
namespace {

constexpr std::string_view kWord = " revue ";
constexpr std::string_view kJpeg = ".jpg";

bool all_digits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

}  // namespace

std::string review_photo_path(const std::string& base, std::optional<double> depth_m, std::int64_t video_ms,
                              int number) {
  std::string path = base + std::string(kWord) + (depth_m ? depth_text(*depth_m) : std::to_string(video_ms) + "ms");
  if (number > 1) path += " (" + std::to_string(number) + ")";
  return path + std::string(kJpeg);
}

std::optional<ReviewPhotoName> read_review_photo_name(const std::string& file_name, const std::string& recording) {
  const std::string prefix = recording + std::string(kWord);
  if (!file_name.starts_with(prefix) || !file_name.ends_with(kJpeg)) return std::nullopt;
  std::string_view rest(file_name);
  rest = rest.substr(prefix.size(), rest.size() - prefix.size() - kJpeg.size());
  // A number added so as not to replace an earlier photo at that depth.
  if (rest.ends_with(")")) {
    const auto open = rest.rfind(" (");
    if (open == std::string_view::npos || !all_digits(rest.substr(open + 2, rest.size() - open - 3)))
      return std::nullopt;
    rest = rest.substr(0, open);
  }
  ReviewPhotoName name;
  if (rest.ends_with("ms") && all_digits(rest.substr(0, rest.size() - 2))) {
    const auto ms = read_decimal(rest.substr(0, rest.size() - 2));
    if (!ms) return std::nullopt;
    name.video_ms = static_cast<std::int64_t>(*ms);
    return name;
  }
  if (!rest.ends_with("m")) return std::nullopt;
  name.depth_m = read_depth_text(rest);
  if (!name.depth_m) return std::nullopt;
  return name;
}

}  // namespace wellvue
