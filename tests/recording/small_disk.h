// A tmpfs of its own on a fresh folder, so a full disk is the kernel's, not a faked error;
// unmounted at the end. Mounting needs root: `mounted` says whether it worked.
#pragma once
#include <sys/mount.h>

#include <filesystem>
#include <string>

namespace wellvue::test {

struct SmallDisk {
  explicit SmallDisk(const std::filesystem::path& where, const std::string& size = "64k", bool read_only = false)
      : path(where) {
    std::filesystem::create_directories(path);
    const std::string options = "size=" + size + ",mode=0755";
    mounted = ::mount("tmpfs", path.c_str(), "tmpfs", read_only ? MS_RDONLY : 0, options.c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted) ::umount2(path.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  std::filesystem::path path;
  bool mounted = false;
};

}  // namespace wellvue::test
