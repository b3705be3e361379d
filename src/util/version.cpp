#include "util/version.h"

#include <cstdio>
#include <cstring>

namespace wellvue {

const char* version() { return WELLVUE_VERSION; }

bool answer_version(int argc, char** argv, const char* program) {
  if (argc < 2 || std::strcmp(argv[1], "--version") != 0) return false;
  std::printf("%s %s\n", program, version());
  return true;
}

}  // namespace wellvue
