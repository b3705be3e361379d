// The lines of a text area of the link window as it keeps them for showing: the newest in memory,
// the older ones in an unnamed file of a spill folder (the cache), read back a block at a time
// when the operator scrolls to them. A whole shift of subtitle entries costs a few kilobytes of
// index, not every line. Without a spill folder (a diagnostic column, which drops its oldest
// lines) or with an unusable one, the lines stay in memory and nothing is lost.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace wellvue {

class LineStore {
 public:
  static constexpr std::size_t kBlockLines = 256;    // lines per block on disk
  static constexpr std::size_t kMemoryLines = 4096;  // newest lines always in memory

  explicit LineStore(std::string spill_folder);
  ~LineStore();
  LineStore(const LineStore&) = delete;
  LineStore& operator=(const LineStore&) = delete;

  void append(std::string line);
  void clear();
  // The n oldest lines are no longer shown; those still in memory are freed at once.
  void drop_first(std::size_t n);

  std::size_t size() const { return stored() - dropped_; }
  // Line i (0 the oldest shown), i < size().
  std::string line(std::size_t i) const;

  // Lines held in memory now: the newest ones and the block last read back.
  std::size_t lines_in_memory() const { return recent_.size() + read_back_.size(); }
  // Lines written to the spill file so far.
  std::size_t lines_on_disk() const { return blocks_.size() * kBlockLines; }

 private:
  std::size_t stored() const { return lines_on_disk() + recent_.size(); }
  bool open_spill();
  void spill_oldest_block();
  const std::vector<std::string>& block(std::size_t k) const;

  std::string folder_;
  int fd_ = -1;
  bool spill_failed_ = false;          // from then on the lines stay in memory
  std::vector<std::uint64_t> blocks_;  // offset of each block in the spill file
  std::uint64_t end_ = 0;              // bytes written
  std::deque<std::string> recent_;     // the lines after the last block on disk
  std::size_t dropped_ = 0;
  mutable std::size_t read_back_block_ = 0;
  mutable std::vector<std::string> read_back_;
};

}  // namespace wellvue
