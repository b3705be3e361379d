#include "util/depth_text.h"

#include "util/numbers.h"

namespace wellvue {

std::string depth_text(double metres) { return format_pattern(metres, "0.00m"); }

std::string spaced_depth_text(double metres) { return format_pattern(metres, " 0.00 m"); }

}  // namespace wellvue
