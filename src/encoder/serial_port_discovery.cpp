#include "encoder/serial_port_discovery.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "encoder/posix_serial_port.h"

namespace wellvue {

namespace fs = std::filesystem;

namespace {

std::string first_line(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

// The USB product string sits on the USB device, a few levels above the tty's device (the
// interface for ttyACM, the usb-serial port for ttyUSB).
std::string usb_product(const fs::path& tty_dir) {
  std::error_code ec;
  fs::path dir = fs::canonical(tty_dir / "device", ec);
  if (ec) return {};
  for (int level = 0; level < 4 && !dir.empty() && dir != dir.root_path(); ++level) {
    if (fs::is_regular_file(dir / "product", ec)) return first_line(dir / "product");
    dir = dir.parent_path();
  }
  return {};
}

// Kernel name (ttyACM0) to its by-id link, the first in text order when there are several.
std::map<std::string, std::string> by_id_links(const std::string& by_id) {
  std::map<std::string, std::string> links;
  std::error_code ec;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(by_id, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(it->path());
  std::sort(entries.begin(), entries.end());
  for (const fs::path& p : entries) {
    const fs::path target = fs::read_symlink(p, ec);
    if (ec) continue;
    links.emplace(target.filename().string(), p.string());
  }
  return links;
}

}  // namespace

std::string SerialPortInfo::label() const {
  const std::string kernel = fs::path(kernel_path).filename().string();
  std::string beside;
  if (!stable_path.empty()) beside = kernel;
  if (!description.empty()) beside += (beside.empty() ? "" : " : ") + description;
  return beside.empty() ? name() : name() + "  (" + beside + ")";
}

std::vector<SerialPortInfo> discover_serial_ports(const DiscoveryRoots& roots) {
  const auto links = by_id_links(roots.by_id);
  std::vector<SerialPortInfo> ports;
  for (const std::string& path : list_serial_ports(roots.sys_class_tty)) {
    SerialPortInfo info;
    info.kernel_path = path;
    const std::string kernel = fs::path(path).filename().string();
    if (auto it = links.find(kernel); it != links.end()) info.stable_path = it->second;
    info.description = usb_product(fs::path(roots.sys_class_tty) / kernel);
    ports.push_back(std::move(info));
  }
  // In the order of the kernel names (list_serial_ports), so that a port index kept in the
  // settings file names the same port as before stable names were shown.
  return ports;
}

std::string stable_port_name(const std::string& name, const std::string& by_id) {
  std::error_code ec;
  if (fs::is_symlink(name, ec)) return name;
  for (fs::directory_iterator it(by_id, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code eq;
    if (fs::equivalent(it->path(), name, eq) && !eq) return it->path().string();
  }
  return name;
}

PortNameStamp port_name_stamp(const std::string& name) {
  PortNameStamp stamp;
  struct stat st {};
  // Unix98 pseudo-terminal slaves have the majors 136 to 143.
  if (::stat(name.c_str(), &st) == 0 && S_ISCHR(st.st_mode)) {
    stamp.pseudo_terminal = major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
  }
  if (::lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    stamp.symlink = true;
    stamp.link_inode = static_cast<long long>(st.st_ino);
    stamp.link_mtime_ns = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  }
  return stamp;
}

bool may_be_the_same_device(const std::string& name, const PortNameStamp& then) {
  if (!then.pseudo_terminal) return true;
  const PortNameStamp now = port_name_stamp(name);
  return then.symlink && now.symlink && (now.link_inode != then.link_inode || now.link_mtime_ns != then.link_mtime_ns);
}

std::vector<std::string> port_holders(const std::string& name, const std::string& proc_root) {
  std::vector<std::string> holders;
  struct stat device {};
  if (::stat(name.c_str(), &device) != 0) return holders;
  const std::string self = std::to_string(::getpid());
  std::error_code ec;
  for (fs::directory_iterator it(proc_root, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string pid = it->path().filename().string();
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
    std::error_code fd_ec;
    for (fs::directory_iterator fd(it->path() / "fd", fd_ec), fd_end; !fd_ec && fd != fd_end; fd.increment(fd_ec)) {
      struct stat st {};
      if (::stat(fd->path().c_str(), &st) != 0) continue;
      const bool same = S_ISCHR(device.st_mode) ? S_ISCHR(st.st_mode) && st.st_rdev == device.st_rdev
                                                : st.st_dev == device.st_dev && st.st_ino == device.st_ino;
      if (same) {
        holders.push_back(first_line(it->path() / "comm") + " (pid " + pid + ")");
        break;
      }
    }
  }
  return holders;
}

}  // namespace wellvue
