#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "link_rig.h"
#include "util/conversion_error.h"

namespace wellvue::test {
namespace {

bool contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(Open, TwoPressesTraceTheirBannersAndReopen) {
  LinkRig rig;
  rig.link.fields().baud_items = {"9600"};
  rig.link.fields().baud_item_index = 0;
  ASSERT_TRUE(rig.open());
  rig.send_count(5);
  rig.link.RadioGroup1Click(0);
  rig.link.state().entry_number = -1;
  rig.send_count(6);
  ASSERT_FALSE(rig.memo(Memo::Memo5).empty());
  ASSERT_TRUE(rig.open());
  const auto m3 = rig.memo(Memo::Memo3);
  EXPECT_TRUE(contains(m3, "  1 =============="));
  EXPECT_TRUE(contains(m3, "  2 =============="));
  EXPECT_TRUE(contains(m3, " PortStr= " + rig.board.slave_path()));
  EXPECT_TRUE(contains(m3, "Param\xE8tres <9600,N,8,1>"));
  EXPECT_EQ(rig.view.texts[Control::LinkLabel2], "<" + rig.board.slave_path() + "> : 9600,N,8,1");
  EXPECT_EQ(rig.view.texts[Control::MainPanelOpenCom], "Port " + rig.board.slave_path());
  EXPECT_EQ(rig.view.texts[Control::MainLabel5], "");
  EXPECT_TRUE(rig.memo(Memo::Memo5).empty());
  EXPECT_EQ(rig.link.state().open_count, 2);
  EXPECT_EQ(rig.link.state().tics, 0);
  EXPECT_EQ(rig.link.state().line_count, 0);
  // The port works after the reopen.
  rig.send_count(8);
  EXPECT_EQ(rig.link.state().tics, 8);
}

TEST(Open, TraceOfTheSettingsRecord) {
  LinkRig rig;
  rig.link.fields().Edit7 = "15";
  ASSERT_TRUE(rig.open());
  const auto m3 = rig.memo(Memo::Memo3);
  auto at = std::find(m3.begin(), m3.end(), "SET apr\xE8s_______");
  ASSERT_NE(at, m3.end());
  const std::vector<std::string> set = {"ReadIntervalTimeout 15",        "ReadTotalTimeoutMultiplier 10",
                                        "ReadTotalTimeoutConstant 20",   "WriteTotalTimeoutMultiplier 10",
                                        "WriteTotalTimeoutConstant 100", "DCB record"};
  EXPECT_EQ(std::vector<std::string>(at + 1, at + 7), set);
  const std::vector<std::string> record = {" DCBlength = 28", " BaudRate = 9600", " Flags = 4097",   " wReserved = 0",
                                           " XonLim = 2048",  " XoffLim = 1",     " ByteSize = 8",   " Parity = 0",
                                           " StopBits = 0",   " XonChar = 17",    " XoffChar = 19",  " ErrorChar = 0",
                                           " EofChar = 0",    " EvtChar = 0",     " wReserved1 = 0", " result = 1"};
  EXPECT_EQ(std::vector<std::string>(m3.end() - 16, m3.end()), record);
  EXPECT_EQ(rig.clock.elapsed_ms(), 5000.0 + 1500.0);  // the pauses of the open
}

struct FailedOpenCase {
  const char* name;
  std::string port;
  int port_index;
  bool box;
  int port_index_after;
};

TEST(Open, PortThatDoesNotOpen) {
  const FailedOpenCase cases[] = {
      {"absent_index_2", "/dev/wellvue-no-such-port", 2, true, 2},
      {"absent_index_0", "/dev/wellvue-no-such-port", 0, false, 0},
      {"nothing_chosen", "port com", 3, false, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LinkRig rig;
    rig.link.fields().ComboBox1_port_com = c.port;
    rig.link.state().port_index = c.port_index;
    EXPECT_FALSE(rig.open());
    const std::string message = "ERREUR  OpenCom : port en utilisation ou inexistant  <" + c.port + ">   ";
    EXPECT_EQ(rig.memo(Memo::Memo3).back(), message);
    EXPECT_EQ(rig.prompter.texts().size(), c.box ? 1u : 0u);
    EXPECT_EQ(rig.link.state().port_index, c.port_index_after);
    EXPECT_FALSE(rig.link.polling());
    // The next open after a failed one works.
    rig.link.fields().ComboBox1_port_com = rig.board.slave_path();
    EXPECT_TRUE(rig.open());
  }
}

// What the trace says before the open's message: why the port did not open.
std::string why_line(const LinkRig& rig) {
  const auto m3 = rig.memo(Memo::Memo3);
  return m3.size() >= 2 ? m3[m3.size() - 2] : std::string();
}

TEST(Open, PortHeldByAnotherLinkOrProcess) {
  LinkRig rig;
  ASSERT_TRUE(rig.open());
  // A second station in the same process.
  LinkRig other;
  other.link.fields().ComboBox1_port_com = rig.board.slave_path();
  EXPECT_FALSE(other.open());
  // Another process: it holds the port while the link tries.
  rig.link.close_without_pause();
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    PosixSerialPort holder;
    const char ok = holder.open(rig.board.slave_path()) ? 1 : 0;
    [[maybe_unused]] auto w = ::write(ready[1], &ok, 1);
    ::sleep(3);
    ::_exit(0);
  }
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 1);
  EXPECT_FALSE(rig.open());
  // The trace names the program that holds it.
  const std::string why = why_line(rig);
  EXPECT_EQ(
      why.rfind("Le port <" + rig.board.slave_path() + "> est d\xE9j\xE0 utilis\xE9 par un autre programme : ", 0), 0u)
      << why;
  EXPECT_NE(why.find("(pid " + std::to_string(child) + ")"), std::string::npos) << why;
  ::kill(child, SIGTERM);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_TRUE(rig.open());
}

// Runs an open in a child process that has given up root for an account outside the dialout and
// tty groups, and returns the reason its trace gives.
std::string why_as_nobody() {
  int out[2];
  if (::pipe(out) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    LinkRig rig;
    rig.link.state().port_index = 0;
    std::string why = "(still root)";
    if (::setgid(65534) == 0 && ::setuid(65534) == 0) {
      rig.open();
      why = why_line(rig);
    }
    [[maybe_unused]] auto w = ::write(out[1], why.data(), why.size());
    ::_exit(0);
  }
  ::close(out[1]);
  std::string why;
  char buf[512];
  for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) why.append(buf, static_cast<std::size_t>(n));
  ::close(out[0]);
  ::waitpid(child, nullptr, 0);
  return why;
}

TEST(Open, AFailedOpenSaysWhyAndWhatToDo) {
  struct Case {
    const char* name;
    std::string port;
    std::string why_holds;
  };
  const Case cases[] = {
      {"no_such_device", "/dev/wellvue-no-such-port",
       "Le port </dev/wellvue-no-such-port> n'existe pas : encodeur d\xE9"
       "branch\xE9"},
      {"no_serial_port", "/dev/null", "</dev/null> n'est pas un port s\xE9rie"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LinkRig rig;
    const std::string& port = c.port;
    rig.link.fields().ComboBox1_port_com = port;
    rig.link.state().port_index = 2;
    EXPECT_FALSE(rig.open());
    const std::string message = "ERREUR  OpenCom : port en utilisation ou inexistant  <" + port + ">   ";
    EXPECT_EQ(rig.memo(Memo::Memo3).back(), message);
    const std::string why = why_line(rig);
    EXPECT_EQ(why.rfind(c.why_holds, 0), 0u) << why;
    ASSERT_EQ(rig.prompter.texts().size(), 1u);
    EXPECT_EQ(rig.prompter.texts()[0], message + "\n\n" + why);
  }
  // Permission: the account must join the dialout group, and the command says how.
  const std::string why = why_as_nobody();
  EXPECT_NE(why.find("Acc\xE8s refus\xE9 au port"), std::string::npos) << why;
  EXPECT_NE(why.find("groupe dialout"), std::string::npos) << why;
  EXPECT_NE(why.find("sudo usermod -aG dialout $USER"), std::string::npos) << why;
}

TEST(Open, FieldsThatDoNotConvert) {
  {
    LinkRig rig;
    rig.link.fields().Edit8 = "dix";
    try {
      rig.open();
      ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), "'dix' n'est pas une valeur enti\xE8re correcte");
    }
    // The trace stops after the values read before the settings; the port stays open.
    EXPECT_EQ(rig.memo(Memo::Memo3).back().rfind("WriteTotalTimeoutConstant ", 0), 0u);
    EXPECT_TRUE(rig.port.is_open());
    EXPECT_FALSE(rig.link.polling());
  }
  {
    LinkRig rig;
    rig.link.fields().Edit6 = "1O";
    try {
      rig.open();
      ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), "'1O' n'est pas une valeur enti\xE8re correcte");
    }
    EXPECT_EQ(rig.memo(Memo::Memo3).back(), " result = 1");
    EXPECT_TRUE(rig.port.is_open());
    EXPECT_FALSE(rig.link.polling());
  }
}

TEST(Open, CloseStopsPollingAndTraces) {
  LinkRig rig;
  ASSERT_TRUE(rig.open());
  rig.link.Button2Click();
  EXPECT_FALSE(rig.link.polling());
  EXPECT_FALSE(rig.port.is_open());
  EXPECT_EQ(rig.view.texts[Control::LinkLabel1], "CloseCom");
  const auto m1 = rig.memo(Memo::Memo1);
  ASSERT_GE(m1.size(), 3u);
  EXPECT_EQ(m1[m1.size() - 3], "========== c l o s e == 1");
  // Nothing is delivered after the close.
  const int polls = rig.link.state().poll_count;
  rig.queue.run_until([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_EQ(rig.link.state().poll_count, polls);
}

TEST(PortLists, SystemPortsOrDefaultsThenSelection) {
  struct Case {
    const char* name;
    std::vector<std::string> system;
    int port_index, baud_index;
    std::string port_text, baud_text;
  };
  const Case cases[] = {
      {"no_system_ports", {}, 1, 6, "/dev/ttyS0", "9600"},
      {"sorted_as_text", {"/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyUSB10"}, 2, 12, "/dev/ttyUSB10", "115200"},
      {"none_chosen", {"/dev/ttyUSB0"}, -1, 0, "", "110"},
      {"index_beyond_the_list", {"/dev/ttyUSB0"}, 5, 13, "port com", "vitesse"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LinkRig rig;
    rig.link.state().port_index = c.port_index;
    rig.link.state().baud_index = c.baud_index;
    rig.link.fill_port_lists(c.system);
    EXPECT_TRUE(std::is_sorted(rig.link.fields().port_items.begin(), rig.link.fields().port_items.end()));
    EXPECT_EQ(rig.link.fields().ComboBox1_port_com, c.port_text == "port com" ? rig.board.slave_path() : c.port_text);
    EXPECT_EQ(rig.link.fields().ComboBox_baudrate, c.baud_text);
    EXPECT_EQ(rig.link.fields().baud_items.size(), 13u);
  }
}

}  // namespace
}  // namespace wellvue::test
