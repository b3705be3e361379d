#include "app/link_window/port_scan.h"

#include "encoder/posix_serial_port.h"
#include "util/cp1252.h"

namespace wellvue {

PortScan scan_ports(const std::vector<std::string>& names, const std::function<bool(const std::string&)>& is_free) {
  std::vector<SerialPortInfo> ports;
  for (const std::string& name : names) ports.push_back({name, {}, {}});
  return scan_devices(ports, is_free);
}

PortScan scan_devices(const std::vector<SerialPortInfo>& ports,
                      const std::function<bool(const std::string&)>& is_free) {
  PortScan scan;
  for (const SerialPortInfo& port : ports) {
    const std::string& name = port.name();
    const std::string label = port.label();
    const std::string beside = label.size() > name.size() ? label.substr(name.size()) : std::string();
    scan.entries.push_back(name + (is_free(name) ? " : LIBRE" : " : OCCUPEE") + beside);
    scan.ports.push_back(name);
    scan.labels.push_back(label);
  }
  return scan;
}

std::vector<std::string> scan_memo_lines(const PortScan& scan) {
  std::vector<std::string> lines;
  if (scan.entries.empty()) {
    lines.push_back(utf8_to_cp1252(kScanNoPortMemo));
    return lines;
  }
  for (const std::string& entry : scan.entries) lines.push_back("TEST Open " + entry);
  return lines;
}

bool port_is_free(const std::string& name) {
  PosixSerialPort probe;
  if (!probe.open(name)) return false;
  probe.close();
  return true;
}

}  // namespace wellvue
