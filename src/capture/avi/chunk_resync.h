// Finds the damaged chunk headers of a crashed recording's movi list (a header overwritten, a
// size that points into the middle of the data) and the smallest header rewrites that let a
// reader walk on to the next valid chunk, so that no frame after the damage is lost.
#pragma once

#include "capture/avi/avi_info.h"
#include "capture/avi/byte_source.h"

#include <cstdint>
#include <vector>

namespace wellvue::avi {

// Bytes to write over the file at `offset` (a chunk header or its size field).
struct HeaderFix {
  std::uint64_t offset = 0;
  std::vector<std::uint8_t> bytes;
};

// The fixes that make the first movi list walk from its start to its end (or to the crash
// tail): each damaged stretch becomes a "JUNK" chunk up to the next valid data chunk
// ("##dc", "##db", "##wb", "##pc" with a plausible size, followed by another chunk or the end),
// or a chunk whose size overshoots or falls short gets the size that reaches that next chunk;
// a chunk of the only stream whose code alone is damaged gets its code back. Empty when the
// list walks cleanly or no valid chunk follows the damage.
std::vector<HeaderFix> find_header_fixes(ByteSource& src, const AviInfo& info);

// `src` as it reads with `fixes` written over it.
class FixedSource final : public ByteSource {
 public:
  FixedSource(ByteSource& base, const std::vector<HeaderFix>& fixes) : base_(base), fixes_(fixes) {}
  std::uint64_t size() const override { return base_.size(); }
  bool read(std::uint64_t offset, void* out, std::size_t n) override;

 private:
  ByteSource& base_;
  const std::vector<HeaderFix>& fixes_;
};

}  // namespace wellvue::avi
