// wellvue-capture: list capture devices, record through the station's engine, repair an AVI.
#include <iostream>
#include <string>
#include <vector>

#include "capture_tool.h"
#include "util/version.h"

int main(int argc, char** argv) {
  if (wellvue::answer_version(argc, argv, "wellvue-capture")) return 0;
  using namespace wellvue::capture_tool;
  std::string error;
  const auto options = parse_options(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::cerr << "wellvue-capture: " << error << '\n' << kUsage;
    return 2;
  }
  switch (options->action) {
    case Action::List:
      return list_devices(*options, std::cout, std::cerr);
    case Action::Record:
      return record(*options, std::cout, std::cerr);
    case Action::Repair:
      return repair(*options, std::cout, std::cerr);
    case Action::Help:
      std::cout << kUsage;
      return 0;
  }
  return 2;
}
