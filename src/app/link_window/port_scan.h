// The port scan of "liste  COM disponibles": every serial device of the system, opened
// exclusively for a moment to tell a free port from a busy one.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "encoder/serial_port_discovery.h"

namespace wellvue {

struct PortScan {
  std::vector<std::string> ports;    // every port seen, in the system's order
  std::vector<std::string> entries;  // port + " : LIBRE" or " : OCCUPEE", then what is known of it
  std::vector<std::string> labels;   // what the port list shows of each port
};

inline constexpr const char* kScanNoPortMemo = "  Aucune COM est LIBRE ou OCCUPEE , vérifier les branchements";
inline constexpr const char* kScanNoPortBox =
    "  Aucune COM disponible, vérifier les branchements ou connecter un appareil \n\n"
    "  et tenter à nouveau sans redémarrer ...";

// is_free: true when the port opens exclusively (it is closed again at once).
PortScan scan_ports(const std::vector<std::string>& names, const std::function<bool(const std::string&)>& is_free);

// The same over the devices found, with their kernel names and descriptions beside the names.
PortScan scan_devices(const std::vector<SerialPortInfo>& ports, const std::function<bool(const std::string&)>& is_free);

// The lines the scan adds to Memo7 after its separator (UTF-8 literals above are converted by
// the caller; names are CP1252 like every core text).
std::vector<std::string> scan_memo_lines(const PortScan& scan);

// Opens the device exclusively as the station would, and closes it at once.
bool port_is_free(const std::string& name);

}  // namespace wellvue
