// The lines of one text area of the link window; a diagnostic column keeps only its last lines,
// the subtitle track keeps everything.
#pragma once
#include <cstddef>
#include <deque>
#include <string>

namespace wellvue {

class LineLog {
 public:
  // limit 0: no limit.
  explicit LineLog(std::size_t limit = 0) : limit_(limit) {}
  // Returns how many of the oldest lines were dropped to make room.
  std::size_t append(std::string line);
  void clear() { lines_.clear(); }
  const std::deque<std::string>& lines() const { return lines_; }
  std::size_t size() const { return lines_.size(); }
  std::size_t limit() const { return limit_; }

 private:
  std::size_t limit_;
  std::deque<std::string> lines_;
};

inline constexpr std::size_t kDiagnosticLines = 5000;

}  // namespace wellvue
