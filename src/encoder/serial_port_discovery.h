// The serial devices of the system as the port list shows them: the kernel name, the stable
// name under /dev/serial/by-id that survives a re-plug, and the USB product string from sysfs.
// Also who holds a port, for the message of an open that fails.
#pragma once
#include <string>
#include <vector>

namespace wellvue {

struct SerialPortInfo {
  std::string kernel_path;  // /dev/ttyACM0
  std::string stable_path;  // /dev/serial/by-id/usb-..., empty when the device has none
  std::string description;  // USB product string, empty when none
  // The name to open: the stable one when there is one.
  const std::string& name() const { return stable_path.empty() ? kernel_path : stable_path; }
  // What the list shows: the name, then the kernel name and the description beside it.
  std::string label() const;
};

struct DiscoveryRoots {
  std::string sys_class_tty = "/sys/class/tty";
  std::string by_id = "/dev/serial/by-id";
};

// The tty devices with a `device` link, with their stable names and descriptions, in the order of
// list_serial_ports (kernel names as text).
std::vector<SerialPortInfo> discover_serial_ports(const DiscoveryRoots& roots = {});

// The by-id name of the device that `name` opens, or `name` itself when it has none or is already
// a link of its own (a name chosen by the user stays as chosen).
std::string stable_port_name(const std::string& name, const std::string& by_id = "/dev/serial/by-id");

// What a port's name stood for when it was opened, to tell the device itself coming back from
// another device that took the name since.
struct PortNameStamp {
  bool pseudo_terminal = false;  // the name opened a pseudo-terminal
  bool symlink = false;
  long long link_inode = 0;  // the link itself, when the name is one
  long long link_mtime_ns = 0;
};
PortNameStamp port_name_stamp(const std::string& name);
// Whether opening `name` now may find the device it named at `then`. A pseudo-terminal never
// comes back and its number goes to the next program that asks for one: behind an unchanged name
// it is someone else's; only a link pointed anew (a new simulated board) is taken.
bool may_be_the_same_device(const std::string& name, const PortNameStamp& then);

// The other processes that hold the device `name` open, each as "comm (pid N)".
std::vector<std::string> port_holders(const std::string& name, const std::string& proc_root = "/proc");

}  // namespace wellvue
