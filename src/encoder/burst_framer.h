// Cuts the bytes of successive reads into complete lines (each ended by CR). Bytes after the last
// CR wait for the next read; after a silent read they count as a line of their own, so a board
// that never ends its lines still works. An unended line that grows too long is dropped.
#pragma once
#include <cstddef>
#include <string>

namespace wellvue {

inline constexpr std::size_t kMaxPartialLine = 4096;

struct FramedBurst {
  // Complete lines, each ending with CR, as one text (the bytes the poll decodes); empty if none.
  std::string lines;
  // Bytes of an unended line dropped because it grew past kMaxPartialLine (0: none).
  std::size_t dropped = 0;
};

// The lines of a FramedBurst without the line feeds that follow their CRs (the one carried over
// from the previous read included), so the same lines compare equal however the reads cut them.
std::string line_content(const std::string& lines);

class BurstFramer {
 public:
  // Takes the bytes of one read. An empty read means the board stayed silent for a whole read
  // time-out: the unended line, if it holds anything but line feeds, is completed with a CR.
  FramedBurst push(const std::string& read);
  const std::string& pending() const { return pending_; }
  void reset() { pending_.clear(); }

 private:
  std::string pending_;
};

}  // namespace wellvue
