#include "capture/hresult.h"

#include <cstdio>

namespace wellvue {

std::string hresult_hex(HResult hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(static_cast<std::uint32_t>(hr)));
  return buf;
}

}  // namespace wellvue
