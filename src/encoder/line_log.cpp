#include "encoder/line_log.h"

namespace wellvue {

std::size_t LineLog::append(std::string line) {
  lines_.push_back(std::move(line));
  std::size_t dropped = 0;
  while (limit_ != 0 && lines_.size() > limit_) {
    lines_.pop_front();
    ++dropped;
  }
  return dropped;
}

}  // namespace wellvue
