// Which serial terminal "RS232-Hercule.exe" starts, and the scan's texts.
#include <gtest/gtest.h>

#include "app/link_window/port_scan.h"
#include "app/link_window/terminal_launcher.h"
#include "util/cp1252.h"

namespace wellvue {
namespace {

struct TerminalCase {
  const char* name;
  bool hercules_beside;
  bool has_terminal;
  bool has_picocom;
  QString port;
  std::optional<QStringList> command;  // program then arguments
};

class TerminalTest : public ::testing::TestWithParam<TerminalCase> {};

TEST_P(TerminalTest, ArgumentListNeverAShellString) {
  const TerminalCase& c = GetParam();
  const auto cmd = terminal_command(
      "/opt/wellvue", c.port,
      [&](const QString& p) -> QString {
        if (p == "x-terminal-emulator" && c.has_terminal) return "/usr/bin/x-terminal-emulator";
        if (p == "picocom" && c.has_picocom) return "/usr/bin/picocom";
        return {};
      },
      [&](const QString& path) { return c.hercules_beside && path == "/opt/wellvue/RS232_hercules_3-2-6.exe"; });
  ASSERT_EQ(cmd.has_value(), c.command.has_value());
  if (!cmd) return;
  EXPECT_EQ(QStringList{cmd->program} + cmd->arguments, *c.command);
  EXPECT_EQ(cmd->working_directory, "/opt/wellvue");
}

INSTANTIATE_TEST_SUITE_P(
    Choices, TerminalTest,
    ::testing::Values(TerminalCase{"hercules_first", true, true, true, "/dev/ttyUSB0",
                                   QStringList{"/opt/wellvue/RS232_hercules_3-2-6.exe"}},
                      TerminalCase{"picocom_in_terminal", false, true, true, "/dev/ttyUSB0",
                                   QStringList{"/usr/bin/x-terminal-emulator", "-e", "/usr/bin/picocom", "-b", "9600",
                                               "/dev/ttyUSB0"}},
                      TerminalCase{"port_with_blanks_and_quotes_stays_one_argument", false, true, true,
                                   "/dev/tty x'; rm -rf ~",
                                   QStringList{"/usr/bin/x-terminal-emulator", "-e", "/usr/bin/picocom", "-b", "9600",
                                               "/dev/tty x'; rm -rf ~"}},
                      TerminalCase{"no_terminal", false, false, true, "/dev/ttyUSB0", std::nullopt},
                      TerminalCase{"no_picocom", false, true, false, "/dev/ttyUSB0", std::nullopt},
                      TerminalCase{"no_port", false, true, true, "  ", std::nullopt},
                      TerminalCase{"option_like_port", false, true, true, "--help", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PortScan, EntriesInTheSystemOrderWithTheirState) {
  const PortScan scan = scan_ports({"/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyS0"},
                                   [](const std::string& p) { return p != "/dev/ttyACM0"; });
  EXPECT_EQ(scan.ports, (std::vector<std::string>{"/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyS0"}));
  EXPECT_EQ(scan_memo_lines(scan),
            (std::vector<std::string>{"TEST Open /dev/ttyUSB1 : LIBRE", "TEST Open /dev/ttyACM0 : OCCUPEE",
                                      "TEST Open /dev/ttyS0 : LIBRE"}));
  EXPECT_EQ(scan_memo_lines(scan_ports({}, [](const std::string&) { return true; })),
            std::vector<std::string>{utf8_to_cp1252("  Aucune COM est LIBRE ou OCCUPEE , vérifier les branchements")});
}

TEST(PortScan, ANameThatIsNoDeviceIsBusy) { EXPECT_FALSE(port_is_free("/dev/wellvue-no-such-port")); }

}  // namespace
}  // namespace wellvue
