#include "capture/hresult.h"

#include <cerrno>
#include <cstdio>

namespace wellvue {

std::string hresult_hex(HResult hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(static_cast<std::uint32_t>(hr)));
  return buf;
}

HResult hresult_from_errno(int err) {
  switch (err) {
    case ENOSPC:
    case EDQUOT:
      return E_DISK_FULL;
    case EEXIST:
      return E_FILE_EXISTS;
    case EACCES:
    case EPERM:
    case EROFS:
    case ELOOP:
      return E_ACCESSDENIED;
    case ENOENT:
    case ENOTDIR:
      return static_cast<HResult>(0x80070003u);  // path not found
    default:
      return E_WRITE_FAULT;
  }
}

}  // namespace wellvue
