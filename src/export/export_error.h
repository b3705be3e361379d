// An export that cannot be done; what() is the operator's French text (UTF-8).
#pragma once
#include <stdexcept>

namespace wellvue::exporting {

class ExportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace wellvue::exporting
