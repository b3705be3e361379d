#include "encoder/posix_serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

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
      {"zero_byte_skipped", std::string("1\0" "23\r\n", 6), "123\r\n"},
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
                           {"ttyS0", true, "4"},       {"ttyS3", true, "0"},      {"pts", false, nullptr}};
  for (const auto& e : entries) {
    fs::create_directories(root / e.name);
    if (e.device) fs::create_directory_symlink(root, root / e.name / "device");
    if (e.type) std::ofstream(root / e.name / "type") << e.type << "\n";
  }
  EXPECT_EQ(list_serial_ports(root.string()),
            (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyS0", "/dev/ttyUSB0"}));
  EXPECT_TRUE(list_serial_ports((root / "missing").string()).empty());
  fs::remove_all(root);
}

}  // namespace
}  // namespace wellvue
