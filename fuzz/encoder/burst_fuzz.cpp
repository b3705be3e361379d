// Feeds arbitrary reads to the poll of an encoder link (framing, line cutting, number filtering,
// depth and track texts) and checks that it never crashes and keeps its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "encoder/clock.h"
#include "encoder/encoder_link.h"
#include "encoder/posix_serial_port.h"
#include "util/conversion_error.h"
#include "util/decimal_separator.h"
#include "util/scripted_prompter.h"

namespace {

class StillClock : public wellvue::Clock {
 public:
  double elapsed_ms() override { return now += 7; }
  void pause_ms(double) override {}
  wellvue::LocalDateTime local_now() override { return {}; }
  double now = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wellvue;
  if (size < 1) return 0;
  static PosixSerialPort port;  // never opened
  StillClock clock;
  ScriptedPrompter prompter;
  LinkView view;
  EncoderLink link(port, clock, prompter, view, [](std::function<void()>) {});
  // First byte: sense, acquisition, separator, water zero.
  const std::uint8_t flags = data[0];
  link.fields().CheckBox3 = (flags & 1) != 0;
  link.fields().RadioGroup1 = (flags & 2) != 0 ? 0 : 1;
  set_decimal_separator((flags & 4) != 0 ? ',' : '.');
  if ((flags & 8) != 0) link.state().water_zero = 5;
  // The rest: successive reads separated by 0xFF; an empty one is a silent read.
  std::string read;
  auto poll = [&] {
    try {
      link.Timer1Timer(read);
    } catch (const ConversionError&) {
      // A conversion error ends one poll; the next goes on.
    }
    read.clear();
  };
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == 0xFF) {
      poll();
    } else {
      read.push_back(static_cast<char>(data[i]));
    }
  }
  poll();
  if (link.memo(Memo::Memo1).size() > kDiagnosticLines) std::abort();
  return 0;
}
