#include "encoder/posix_serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "encoder/serial_port_discovery.h"
#include "sim_board.h"

namespace wellvue {
namespace {

using namespace std::chrono_literals;

PortTimeouts defaults() { return {10, 10, 100, 10, 100}; }

struct BurstCase {
  const char* name;
  std::string sent;
  std::string read;
};

TEST(PosixSerialPort, BurstsAsSentWithoutZeroBytes) {
  const BurstCase cases[] = {
      {"line", "1234|\r\n", "1234|\r\n"},
      {"zero_byte_skipped",
       std::string("1\0"
                   "23\r\n",
                   6),
       "123\r\n"},
      {"two_bytes", "\r\n", "\r\n"},
      {"one_byte", "7", "7"},
  };
  SimBoard board;
  PosixSerialPort port;
  ASSERT_TRUE(port.open(board.slave_path()));
  ASSERT_TRUE(port.configure());
  port.set_timeouts(defaults());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    board.write_bytes(c.sent);
    EXPECT_EQ(port.read_burst(), c.read);
  }
  // Silence: nothing.
  EXPECT_EQ(port.read_burst(), "");
}

TEST(PosixSerialPort, ExclusiveOpen) {
  SimBoard board;
  PosixSerialPort a, b;
  ASSERT_TRUE(a.open(board.slave_path()));
  EXPECT_FALSE(b.open(board.slave_path()));
  a.close();
  EXPECT_TRUE(b.open(board.slave_path()));
  EXPECT_FALSE(a.open("/dev/wellvue-no-such-port"));
  EXPECT_FALSE(a.is_open());
}

TEST(PosixSerialPort, ReadEndsWhileTheBoardKeepsSending) {
  SimBoard board;
  PosixSerialPort port;
  ASSERT_TRUE(port.open(board.slave_path()));
  ASSERT_TRUE(port.configure());
  port.set_timeouts(defaults());
  std::atomic<bool> stop{false};
  SimOptions o;
  o.period_ms = 2;  // far faster than the gap that ends a read
  o.boot_ms = 0;
  std::thread sender([&] { board.run(o, stop); });
  std::string got;
  for (int i = 0; i < 3; ++i) got += port.read_burst();
  stop = true;
  sender.join();
  // Three reads returned although the board never paused: each ended on its own limit.
  EXPECT_NE(got.find("|\r\n"), std::string::npos);
}

TEST(PosixSerialPort, UnpluggedBoardEndsReadsAtOnce) {
  SimBoard board;
  PosixSerialPort port;
  ASSERT_TRUE(port.open(board.slave_path()));
  ASSERT_TRUE(port.configure());
  // A silent read would last a minute.
  port.set_timeouts({10, 0, 60000, 0, 0});
  board.unplug();
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(port.read_burst(), "");
  EXPECT_EQ(port.read_burst(), "");
  EXPECT_LT(std::chrono::steady_clock::now() - t0, 30s);
}

TEST(PosixSerialPort, InterruptEndsAWaitingRead) {
  SimBoard board;
  PosixSerialPort port;
  ASSERT_TRUE(port.open(board.slave_path()));
  port.set_timeouts({10, 0, 60000, 0, 0});
  std::thread reader([&] { EXPECT_EQ(port.read_burst(), ""); });
  std::this_thread::sleep_for(50ms);
  port.interrupt();
  reader.join();
  // A consumed interrupt leaves the next read waiting for the board again.
  port.set_timeouts(defaults());
  board.write_bytes("9|\r\n");
  EXPECT_EQ(port.read_burst(), "9|\r\n");
}

TEST(PosixSerialPort, NoPortReadsNothing) {
  PosixSerialPort port;
  EXPECT_EQ(port.read_burst(), "");
  port.set_dtr(true);  // no effect, no harm
  port.close();
}

TEST(SerialPortList, DevicesWithADeviceLinkSorted) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("wellvue-tty-" + std::to_string(::getpid()));
  fs::remove_all(root);
  struct Entry {
    const char* name;
    bool device;
    const char* type;  // nullptr: no type file
  };
  const Entry entries[] = {{"ttyUSB0", true, nullptr}, {"ttyACM1", true, nullptr}, {"tty1", false, nullptr},
                           {"ttyS0", true, "4"},       {"ttyS3", true, "0"},       {"pts", false, nullptr}};
  for (const auto& e : entries) {
    fs::create_directories(root / e.name);
    if (e.device) fs::create_directory_symlink(root, root / e.name / "device");
    if (e.type) std::ofstream(root / e.name / "type") << e.type << "\n";
  }
  EXPECT_EQ(list_serial_ports(root.string()), (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyS0", "/dev/ttyUSB0"}));
  EXPECT_TRUE(list_serial_ports((root / "missing").string()).empty());
  fs::remove_all(root);
}

// A sysfs and /dev tree as the kernel and udev lay them out for a USB CDC board (ttyACM0), a USB
// serial adapter (ttyUSB0) and a built-in port (ttyS0).
TEST(SerialPortList, StableNamesAndDescriptionsBesideTheKernelNames) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("wellvue-sysfs-" + std::to_string(::getpid()));
  fs::remove_all(root);
  const fs::path tty = root / "sys/class/tty", devices = root / "sys/devices", dev = root / "dev";
  const fs::path by_id = dev / "serial/by-id";
  for (const fs::path& d : {tty / "ttyACM0", tty / "ttyUSB0", tty / "ttyS0", tty / "tty1", devices / "usb1/1-1/1-1:1.0",
                            devices / "usb1/1-2/1-2:1.0/ttyUSB0", devices / "platform/serial8250", by_id})
    fs::create_directories(d);
  std::ofstream(devices / "usb1/1-1/product") << "Arduino Uno\n";
  std::ofstream(devices / "usb1/1-1/1-1:1.0/interface") << "CDC Abstract Control Model (ACM)\n";
  std::ofstream(devices / "usb1/1-2/product") << "FT232R USB UART\n";
  std::ofstream(tty / "ttyS0/type") << "4\n";
  fs::create_directory_symlink("../../../devices/usb1/1-1/1-1:1.0", tty / "ttyACM0/device");
  fs::create_directory_symlink("../../../devices/usb1/1-2/1-2:1.0/ttyUSB0", tty / "ttyUSB0/device");
  fs::create_directory_symlink("../../../devices/platform/serial8250", tty / "ttyS0/device");
  for (const char* node : {"ttyACM0", "ttyUSB0"}) std::ofstream(dev / node) << "";
  const std::string arduino = (by_id / "usb-Arduino_Uno_8573-if00").string();
  fs::create_symlink("../../ttyACM0", arduino);

  const auto ports = discover_serial_ports({tty.string(), by_id.string()});
  std::vector<std::string> names, labels;
  for (const auto& p : ports) {
    names.push_back(p.name());
    labels.push_back(p.label());
  }
  // In kernel-name order, as the port indices of the settings file count them.
  EXPECT_EQ(names, (std::vector<std::string>{arduino, "/dev/ttyS0", "/dev/ttyUSB0"}));
  EXPECT_EQ(labels, (std::vector<std::string>{arduino + "  (ttyACM0 : Arduino Uno)", "/dev/ttyS0",
                                              "/dev/ttyUSB0  (FT232R USB UART)"}));
  ASSERT_EQ(ports.size(), 3u);
  EXPECT_EQ(ports[0].kernel_path, "/dev/ttyACM0");

  // The name a lost port is reopened by.
  const struct {
    std::string name, stable;
  } cases[] = {{(dev / "ttyACM0").string(), arduino},
               {arduino, arduino},
               {(dev / "ttyUSB0").string(), (dev / "ttyUSB0").string()},
               {"/dev/wellvue-no-such-port", "/dev/wellvue-no-such-port"}};
  for (const auto& c : cases) EXPECT_EQ(stable_port_name(c.name, by_id.string()), c.stable) << c.name;
  fs::remove_all(root);
}

}  // namespace
}  // namespace wellvue
