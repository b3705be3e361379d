#include "app/link_window/line_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace wellvue {
namespace {

// Runs a pread or pwrite until every byte went through, from `at` in the file.
template <typename Io>
bool all_bytes(Io io, std::size_t size, std::uint64_t at) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = io(done, size - done, static_cast<off_t>(at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool write_all(int fd, const std::string& bytes, std::uint64_t at) {
  return all_bytes(
      [&](std::size_t from, std::size_t n, off_t where) { return ::pwrite(fd, bytes.data() + from, n, where); },
      bytes.size(), at);
}

bool read_all(int fd, std::string& bytes, std::uint64_t at) {
  return all_bytes(
      [&](std::size_t from, std::size_t n, off_t where) { return ::pread(fd, bytes.data() + from, n, where); },
      bytes.size(), at);
}

// Each line on disk is its length (4 bytes, little end first) and its bytes: a line may hold any
// byte, a CR or LF of a loaded file included.
void put_record(std::string& out, const std::string& line) {
  const auto n = static_cast<std::uint32_t>(line.size());
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((n >> shift) & 0xFF));
  out += line;
}

}  // namespace

LineStore::LineStore(std::string spill_folder) : folder_(std::move(spill_folder)) {}

LineStore::~LineStore() {
  if (fd_ >= 0) ::close(fd_);
}

bool LineStore::open_spill() {
  if (fd_ >= 0) return true;
  if (spill_failed_ || folder_.empty()) return false;
  ::mkdir(folder_.c_str(), 0700);
  // A file without a name: nothing is left behind, whatever way the station ends.
  fd_ = ::open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    std::string name = folder_ + "/wellvue-track-XXXXXX";
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ >= 0) ::unlink(name.c_str());
  }
  if (fd_ < 0) spill_failed_ = true;
  return fd_ >= 0;
}

void LineStore::append(std::string line) {
  recent_.push_back(std::move(line));
  if (recent_.size() >= kMemoryLines + kBlockLines) spill_oldest_block();
}

void LineStore::spill_oldest_block() {
  if (spill_failed_ || !open_spill()) return;
  std::string bytes;
  for (std::size_t i = 0; i < kBlockLines; ++i) put_record(bytes, recent_[i]);
  if (!write_all(fd_, bytes, end_)) {
    // A full disk: the newer lines stay in memory rather than be lost; the blocks already
    // written are still read from the file.
    spill_failed_ = true;
    return;
  }
  blocks_.push_back(end_);
  end_ += bytes.size();
  recent_.erase(recent_.begin(), recent_.begin() + static_cast<std::ptrdiff_t>(kBlockLines));
}

void LineStore::clear() {
  recent_.clear();
  recent_.shrink_to_fit();
  blocks_.clear();
  blocks_.shrink_to_fit();
  read_back_.clear();
  dropped_ = 0;
  end_ = 0;
  if (fd_ >= 0 && ::ftruncate(fd_, 0) != 0) {
    ::close(fd_);
    fd_ = -1;
  }
  spill_failed_ = false;  // a new track tries the folder again
}

void LineStore::drop_first(std::size_t n) {
  dropped_ += std::min(n, size());
  // Lines on disk stay there until the next clear; only the index keeps counting them.
  if (dropped_ > lines_on_disk()) {
    recent_.erase(recent_.begin(), recent_.begin() + static_cast<std::ptrdiff_t>(dropped_ - lines_on_disk()));
    dropped_ = lines_on_disk();
  }
}

const std::vector<std::string>& LineStore::block(std::size_t k) const {
  if (!read_back_.empty() && read_back_block_ == k) return read_back_;
  read_back_.clear();
  read_back_block_ = k;
  const std::uint64_t from = blocks_[k];
  const std::uint64_t to = k + 1 < blocks_.size() ? blocks_[k + 1] : end_;
  std::string bytes(static_cast<std::size_t>(to - from), '\0');
  if (!read_all(fd_, bytes, from)) return read_back_;
  std::size_t at = 0;
  while (at + 4 <= bytes.size()) {
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i) n |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    at += 4;
    if (at + n > bytes.size()) break;
    read_back_.emplace_back(bytes, at, n);
    at += n;
  }
  return read_back_;
}

std::string LineStore::line(std::size_t i) const {
  const std::size_t at = i + dropped_;
  if (at >= lines_on_disk())
    return at - lines_on_disk() < recent_.size() ? recent_[at - lines_on_disk()] : std::string();
  const std::vector<std::string>& b = block(at / kBlockLines);
  const std::size_t j = at % kBlockLines;
  return j < b.size() ? b[j] : std::string();
}

}  // namespace wellvue
