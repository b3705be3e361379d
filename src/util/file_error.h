// A file that cannot be opened, read or written; what() is the operator's French text
// ("Impossible de créer le fichier ..."), CP1252. It is a ConversionError so that every handler
// that shows a failed conversion's text shows a file failure's text the same way.
#pragma once
#include "util/conversion_error.h"

namespace wellvue {

class FileError : public ConversionError {
 public:
  using ConversionError::ConversionError;
};

}  // namespace wellvue
