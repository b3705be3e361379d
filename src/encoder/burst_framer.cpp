#include "encoder/burst_framer.h"

namespace wellvue {

std::string line_content(const std::string& lines) {
  std::string out;
  out.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == '\n' && (i == 0 || lines[i - 1] == '\r')) continue;
    out.push_back(lines[i]);
  }
  return out;
}

FramedBurst BurstFramer::push(const std::string& read) {
  FramedBurst out;
  if (read.empty()) {
    // The board stayed silent for a whole read time-out: what it sent last is a line of its own,
    // unless it is only the line feed that follows a CR.
    if (pending_.find_first_not_of('\n') != std::string::npos) {
      out.lines = pending_ + '\r';
    }
    pending_.clear();
    return out;
  }
  const std::size_t last_cr = read.rfind('\r');
  if (last_cr == std::string::npos) {
    pending_ += read;
  } else {
    out.lines = pending_;
    out.lines.append(read, 0, last_cr + 1);
    pending_.assign(read, last_cr + 1, std::string::npos);
  }
  if (pending_.size() > kMaxPartialLine) {
    out.dropped = pending_.size();
    pending_.clear();
  }
  return out;
}

}  // namespace wellvue
