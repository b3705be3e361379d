// The names of the photos the review window saves beside a recording, written by the window and
// read back by the report: "<name> revue <depth>.jpg" ("<name> revue <ms>ms.jpg" where the video
// has no depth), then " (2)", " (3)"... rather than over an earlier one.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace wellvue {

// "<base> revue 12.34m" (or "<base> revue 5000ms" without a depth), `base` the recording's path
// without extension; `number` 1 adds nothing, 2 and on " (n)". With ".jpg" after it.
std::string review_photo_path(const std::string& base, std::optional<double> depth_m, std::int64_t video_ms,
                              int number);

struct ReviewPhotoName {
  std::optional<double> depth_m;        // from the name
  std::optional<std::int64_t> video_ms;  // only when the name gives the time instead of a depth
};

// What the file name (no folder) says when it is a review photo of the recording named
// `recording` (its file name without extension); nullopt otherwise.
std::optional<ReviewPhotoName> read_review_photo_name(const std::string& file_name, const std::string& recording);

}  // namespace wellvue
