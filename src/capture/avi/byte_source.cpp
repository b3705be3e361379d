#include "capture/avi/byte_source.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace wellvue::avi {

bool MemorySource::read(std::uint64_t offset, void* out, std::size_t n) {
  if (offset > size_ || n > size_ - offset) return false;
  if (n != 0) std::memcpy(out, data_ + offset, n);
  return true;
}

FileSource::FileSource(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return;
  const auto sz = std::filesystem::file_size(path, ec);
  if (ec) return;
  in_.open(path, std::ios::binary);
  if (!in_) return;
  size_ = sz;
  open_ = true;
}

bool FileSource::read(std::uint64_t offset, void* out, std::size_t n) {
  if (!open_ || offset > size_ || n > size_ - offset) return false;
  if (n == 0) return true;
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(offset));
  in_.read(static_cast<char*>(out), static_cast<std::streamsize>(n));
  return static_cast<std::size_t>(in_.gcount()) == n;
}

}  // namespace wellvue::avi
