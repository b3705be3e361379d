#include "link_rig.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace wellvue::test {

namespace {

long long code_ms(const std::string& code) {
  // hh:mm:ss,mmm, the hours with as many digits as needed.
  const auto colon = code.find(':');
  return std::stoll(code.substr(0, colon)) * 3600000 + std::stoll(code.substr(colon + 1, 2)) * 60000 +
         std::stoll(code.substr(colon + 4, 2)) * 1000 + std::stoll(code.substr(colon + 7, 3));
}

}  // namespace

std::vector<TrackEntry> entries_of(const std::deque<std::string>& track) {
  std::vector<TrackEntry> entries;
  std::size_t i = 0;
  while (i < track.size()) {
    TrackEntry e;
    e.number = track[i++];
    EXPECT_FALSE(e.number.empty()) << "entry " << entries.size();
    EXPECT_LT(i, track.size());
    if (i >= track.size()) break;
    const std::string& times = track[i++];
    const auto arrow = times.find(" --> ");
    EXPECT_NE(arrow, std::string::npos) << times;
    if (arrow == std::string::npos) break;
    e.start = code_ms(times.substr(0, arrow));
    e.end = code_ms(times.substr(arrow + 5));
    while (i < track.size() && !track[i].empty()) e.text.push_back(track[i++]);
    EXPECT_FALSE(e.text.empty()) << "entry " << e.number;
    ++i;  // the empty line
    entries.push_back(std::move(e));
  }
  return entries;
}

void expect_track_in_order(const std::vector<TrackEntry>& entries) {
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const TrackEntry& e = entries[k];
    EXPECT_GE(e.end, e.start) << "entry " << e.number << " ends before it starts";
    if (k > 0) {
      EXPECT_EQ(e.start, entries[k - 1].end)
          << "entry " << e.number << " does not follow entry " << entries[k - 1].number;
    }
  }
}

LinkRig::LinkRig(Clock* link_clock) : link(port, link_clock ? *link_clock : clock, prompter, view, queue.sink()) {
  link.set_error_handler([this](const std::string& text) { errors.push_back(text); });
  auto& f = link.fields();
  f.ComboBox1_port_com = board.slave_path();
  // Short silent reads keep the tests quick; the rules are the same.
  f.Edit9 = "20";
}

LinkRig::~LinkRig() { link.close_without_pause(); }

bool LinkRig::open() { return link.Button1Click(); }

std::vector<std::string> LinkRig::memo(Memo m) const {
  const auto& l = link.memo(m).lines();
  return {l.begin(), l.end()};
}

std::size_t LinkRig::reads_with_bytes() const {
  std::size_t n = 0;
  for (const auto& line : link.memo(Memo::Memo1).lines()) {
    const auto bar = line.rfind(" | ");
    if (bar != std::string::npos && line.substr(bar + 3) != "0") ++n;
  }
  return n;
}

bool LinkRig::run_until(const std::function<bool()>& pred, std::chrono::milliseconds limit) {
  return queue.run_until(pred, limit);
}

void LinkRig::send(const std::string& bytes) {
  const std::size_t before = reads_with_bytes();
  if (board.write_bytes(bytes) < 0) throw std::runtime_error("board write failed");
  if (!run_until([&] { return reads_with_bytes() > before; })) throw std::runtime_error("no poll read the bytes");
  // A burst can come in two reads on a loaded machine; let a following read finish too.
  queue.run_until([] { return false; }, std::chrono::milliseconds(60));
}

}  // namespace wellvue::test
