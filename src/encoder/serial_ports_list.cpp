#include <algorithm>
#include <filesystem>
#include <fstream>

#include "encoder/posix_serial_port.h"

namespace wellvue {

std::vector<std::string> list_serial_ports(const std::string& sys_class_tty) {
  namespace fs = std::filesystem;
  std::vector<std::string> ports;
  std::error_code ec;
  for (fs::directory_iterator it(sys_class_tty, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path dir = it->path();
    // Virtual consoles and pseudo-terminals have no device behind them.
    if (!fs::exists(dir / "device", ec)) continue;
    // The legacy 8250 driver lists ports that have no chip; their type reads 0.
    std::ifstream type(dir / "type");
    int t = -1;
    if (type >> t && t == 0) continue;
    ports.push_back("/dev/" + dir.filename().string());
  }
  std::sort(ports.begin(), ports.end());
  return ports;
}

}  // namespace wellvue
