// wellvue-depth PORT: opens the port as the station does and prints each depth text line.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "depth_monitor.h"
#include "encoder/clock.h"
#include "encoder/encoder_link.h"
#include "encoder/event_queue.h"
#include "encoder/posix_serial_port.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/decimal_separator.h"
#include "util/numbers.h"
#include "util/version.h"

namespace {

std::atomic<bool> g_stop{false};
void on_signal(int) { g_stop = true; }

void usage() {
  std::cerr << "usage: wellvue-depth PORT [--circ MM] [--start-depth CM] [--seconds S] [--srt FILE]\n"
               "                     [--timestamps]\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (wellvue::answer_version(argc, argv, "wellvue-depth")) return 0;
  using namespace wellvue;
  std::string port_name, circ = "404", start_depth, srt;
  double seconds = -1;
  bool timestamps = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        usage();
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--circ") circ = value();
    else if (a == "--start-depth") start_depth = value();
    else if (a == "--seconds") {
      const auto v = read_decimal(value());
      if (!v) {
        usage();
        return 2;
      }
      seconds = *v;
    } else if (a == "--srt") srt = value();
    else if (a == "--timestamps") timestamps = true;
    else if (a == "--help" || a == "-h") {
      usage();
      return 0;
    } else if (!a.empty() && a[0] != '-' && port_name.empty()) port_name = a;
    else {
      usage();
      return 2;
    }
  }
  if (port_name.empty()) {
    usage();
    return 2;
  }
  init_decimal_separator_from_locale();
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);

  SystemClock clock;
  PosixSerialPort port;
  StderrPrompter prompter;
  PrintingView view(stdout, timestamps);
  EventQueue queue;
  EncoderLink link(port, clock, prompter, view, queue.sink());
  link.set_error_handler([](const std::string& text) { std::fprintf(stderr, "%s\n", cp1252_to_utf8(text).c_str()); });
  try {
    auto& f = link.fields();
    link.fill_port_lists();
    f.ComboBox1_port_com = port_name;  // a device path, passed to the system as it is
    f.Edit_circ = utf8_to_cp1252(circ);
    if (!start_depth.empty()) {
      f.ComboBox2 = utf8_to_cp1252(start_depth);
      link.ComboBox2Click();
    }
    if (!link.Button1Click()) {
      // The open's message and why, as the station traces them after the line parameters.
      const auto& trace = link.memo(Memo::Memo3).lines();
      auto from = trace.end();
      for (auto it = trace.begin(); it != trace.end(); ++it) {
        if (it->rfind("Param\xE8tres <", 0) == 0) from = it + 1;
      }
      for (auto it = from; it != trace.end(); ++it) std::fprintf(stderr, "%s\n", cp1252_to_utf8(*it).c_str());
      return 1;
    }
    if (!srt.empty()) {
      // An acquisition from the start, as a recording starts one.
      link.state().entry_number = -1;
      link.state().poll_count = 0;
      link.RadioGroup1Click(0);
    }
  } catch (const ConversionError& e) {
    std::fprintf(stderr, "%s\n", cp1252_to_utf8(e.what()).c_str());
    return 1;
  }
  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::milliseconds(seconds < 0 ? 0 : static_cast<long long>(seconds * 1000));
  while (!g_stop.load()) {
    if (seconds >= 0 && std::chrono::steady_clock::now() >= end) break;
    queue.run_until([] { return g_stop.load(); }, std::chrono::milliseconds(50));
  }
  link.close_without_pause();
  if (!srt.empty()) {
    try {
      link.save_track(srt);
    } catch (const ConversionError& e) {
      std::fprintf(stderr, "%s\n", cp1252_to_utf8(e.what()).c_str());
      return 1;
    }
  }
  return 0;
}
