// wellvue-encoder-sim: a simulated encoder board on a pseudo-terminal (see --help).
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

#include "sim_board.h"
#include "util/numbers.h"
#include "util/version.h"

namespace {

// The option's value as a whole number; a bad one throws, for the option loop to name it.
template <typename T>
T whole(const std::string& text) {
  const auto v = wellvue::read_whole<T>(text);
  if (!v) throw std::invalid_argument(text);
  return *v;
}

std::atomic<bool> g_stop{false};

void on_signal(int) { g_stop = true; }

void usage() {
  std::cerr << "usage: wellvue-encoder-sim [--link PATH] [--period MS] [--start N] [--boot MS]\n"
               "                           [--lines FILE|-] [--no-eol] [--exit-after N] [--log FILE]\n"
               "Prints the pseudo-terminal's path, then sends <count>| CR LF every period (or the\n"
               "given lines) each time a program opens it, after the boot time.\n";
}

bool read_lines(std::istream& in, std::vector<std::string>& lines) {
  std::string l;
  while (std::getline(in, l)) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (wellvue::answer_version(argc, argv, "wellvue-encoder-sim")) return 0;
  wellvue::SimOptions o;
  std::string link;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        usage();
        std::exit(2);
      }
      return argv[++i];
    };
    try {
      if (a == "--link") link = value();
      else if (a == "--period") o.period_ms = whole<int>(value());
      else if (a == "--start") o.start = whole<long long>(value());
      else if (a == "--boot") o.boot_ms = whole<int>(value());
      else if (a == "--exit-after") o.exit_after = whole<long long>(value());
      else if (a == "--log") o.log_path = value();
      else if (a == "--no-eol") o.eol = false;
      else if (a == "--lines") {
        const std::string f = value();
        o.use_lines = true;
        if (f == "-") {
          read_lines(std::cin, o.lines);
        } else {
          std::ifstream in(f, std::ios::binary);
          if (!in) {
            std::cerr << "wellvue-encoder-sim: cannot read " << f << "\n";
            return 2;
          }
          read_lines(in, o.lines);
        }
      } else if (a == "--help" || a == "-h") {
        usage();
        return 0;
      } else {
        usage();
        return 2;
      }
    } catch (const std::exception&) {
      std::cerr << "wellvue-encoder-sim: bad value for " << a << "\n";
      return 2;
    }
  }
  if (o.period_ms < 1) o.period_ms = 1;
  try {
    wellvue::SimBoard board;
    std::cout << board.slave_path() << std::endl;
    if (!link.empty()) {
      ::unlink(link.c_str());
      if (::symlink(board.slave_path().c_str(), link.c_str()) != 0) {
        std::perror(("wellvue-encoder-sim: " + link).c_str());
        return 1;
      }
    }
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    std::signal(SIGPIPE, SIG_IGN);
    board.run(o, g_stop);
    if (!link.empty()) ::unlink(link.c_str());
  } catch (const std::exception& e) {
    std::cerr << "wellvue-encoder-sim: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
