// A link wired to a simulated board on a real pseudo-terminal, with a scripted clock, a recording
// prompter and a view that keeps every text it is given, for the encoder link's tests.
#pragma once
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "encoder/clock.h"
#include "encoder/encoder_link.h"
#include "encoder/event_queue.h"
#include "encoder/posix_serial_port.h"
#include "sim_board.h"
#include "util/scripted_prompter.h"

namespace wellvue::test {

// Time stands still unless the test moves it; pauses move it instead of sleeping.
class ScriptedClock : public Clock {
 public:
  double elapsed_ms() override { return now_.load(); }
  void pause_ms(double ms) override { now_.store(now_.load() + ms); }
  LocalDateTime local_now() override { return {2026, 12, 6, 17, 19, 33, 0}; }
  void set(double ms) { now_.store(ms); }
  void advance(double ms) { now_.store(now_.load() + ms); }

 private:
  std::atomic<double> now_{5000.0};
};

class RecordingView : public LinkView {
 public:
  void set_text(Control c, const std::string& text) override { texts[c] = text; }
  void set_enabled(Button b, bool on) override { enabled[b] = on; }
  void append_line(Memo m, const std::string& line) override { lines[m].push_back(line); }
  void clear(Memo m) override { lines[m].clear(); }
  void drop_first_lines(Memo m, std::size_t n) override {
    auto& v = lines[m];
    v.erase(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n));
  }
  void show_link_lost(bool lost) override { link_lost.push_back(lost); }
  std::map<Control, std::string> texts;
  std::map<Button, bool> enabled;
  std::vector<bool> link_lost;  // every show_link_lost, in order
  std::map<Memo, std::vector<std::string>> lines;
};

// An expected decimal text written with '.' as it reads under the separator `sep`.
inline std::string dec(std::string s, char sep) {
  for (char& c : s) {
    if (c == '.') c = sep;
  }
  return s;
}

// One entry of a subtitle track, its time codes in milliseconds.
struct TrackEntry {
  std::string number;
  long long start = 0, end = 0;
  std::vector<std::string> text;
};
// The entries of a track in the SRT layout; a malformed entry fails the test.
std::vector<TrackEntry> entries_of(const std::deque<std::string>& track);
// Every entry ends at or after its start, and starts where the one before it ended.
void expect_track_in_order(const std::vector<TrackEntry>& entries);

struct LinkRig {
  LinkRig() : LinkRig(nullptr) {}
  // The link on `link_clock` instead of the scripted clock (null: the scripted one).
  explicit LinkRig(Clock* link_clock);
  ~LinkRig();
  // "OpenCom" on the simulated board; true when polling started.
  bool open();
  // Writes bytes as the board and waits until a poll has handled a read holding bytes.
  void send(const std::string& bytes);
  // Sends "<count>|" CR LF and waits for its poll.
  void send_count(long long count) { send(std::to_string(count) + "|\r\n"); }
  // Runs the owner's events until pred() holds (false after a generous time).
  bool run_until(const std::function<bool()>& pred, std::chrono::milliseconds limit = std::chrono::seconds(10));
  // Reads with bytes handled so far (Memo1 lines whose length is not 0).
  std::size_t reads_with_bytes() const;
  std::vector<std::string> memo(Memo m) const;

  SimBoard board;
  PosixSerialPort port;
  ScriptedClock clock;
  ScriptedPrompter prompter;
  RecordingView view;
  EventQueue queue;
  std::vector<std::string> errors;
  EncoderLink link;
};

}  // namespace wellvue::test
