#include "link_rig.h"

#include <stdexcept>

namespace wellvue::test {

LinkRig::LinkRig(Clock* link_clock)
    : link(port, link_clock ? *link_clock : clock, prompter, view, queue.sink()) {
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
