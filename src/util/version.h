// The station's version (the build's project(VERSION), its one place) and the answer each of the
// station's programs gives to --version.
#pragma once

namespace wellvue {

// "1.4": the version of the package, the depth record's header and --version.
const char* version();

// When the first argument is --version: prints "PROGRAM VERSION" on stdout and says true (the
// caller exits 0). Asked before anything that needs a display, a port or a camera.
bool answer_version(int argc, char** argv, const char* program);

}  // namespace wellvue
