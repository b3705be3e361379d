// Pieces shared by the repair of single-segment and of extended (OpenDML) AVI files: messages,
// the idx1 rebuild, the tail check, and the undo record that puts a file back as it was.
#pragma once

#include "capture/avi/avi_info.h"
#include "capture/avi/avi_repair.h"
#include "capture/avi/byte_source.h"

#include <cstdint>
#include <string>
#include <vector>

namespace wellvue::avi::detail {

inline constexpr std::uint64_t kMiB = 1024 * 1024;
inline constexpr std::uint64_t kMaxRiff = 0xFFFFFFFFull;

std::string number(std::uint64_t n);
RepairResult failed(std::string reason);
RepairResult repaired(std::uint64_t frames, std::uint64_t dropped_bytes, double duration_seconds);

struct Patch {
  std::uint64_t offset;
  std::uint32_t value;
};

bool all_zero(ByteSource& src, std::uint64_t from, std::uint64_t to);
bool read_bytes(ByteSource& src, std::uint64_t from, std::uint64_t to, std::vector<std::uint8_t>& out);

// Whether the bytes [from, file end) may be cut: at most one partial chunk of the largest size
// seen plus `known` bytes of stale index (Small: kept in memory for an undo), or zeros
// (preallocated or never written space, which an undo restores by extending the file).
enum class Tail { Unreadable, Small, Zeros };
Tail classify_tail(ByteSource& src, const AviInfo& info, std::uint64_t from, std::uint64_t known);

// Builds the idx1 chunk (header and entries) for the data chunks of the first movi list.
bool build_idx1(ByteSource& src, const AviInfo& info, std::vector<std::uint8_t>& idx1);

// Writes bytes at an offset of an open file; false on any failure.
bool write_at(const std::string& path, std::uint64_t offset, const std::vector<std::uint8_t>& bytes);
bool write_patches(const std::string& path, const std::vector<Patch>& patches);

class Restorer {
 public:
  Restorer(std::string path, std::uint64_t size) : path_(std::move(path)), size_(size) {}
  void keep(std::uint64_t offset, std::vector<std::uint8_t> bytes) { saved_.push_back({offset, std::move(bytes)}); }
  // Keeps [from, to) as it is on disk now; false when it cannot be read.
  bool keep(ByteSource& src, std::uint64_t from, std::uint64_t to);
  // Puts the saved bytes back and the original length: used when a write fails half-way.
  void restore() const;

 private:
  struct Saved {
    std::uint64_t offset;
    std::vector<std::uint8_t> bytes;
  };
  std::string path_;
  std::uint64_t size_;
  std::vector<Saved> saved_;
};

}  // namespace wellvue::avi::detail
