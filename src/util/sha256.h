// SHA-256 of bytes and of a file, so that a report names the exact files it was made from. The
// file is read in blocks: a recording of several gigabytes is never held in memory.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace wellvue {

class Sha256 {
 public:
  Sha256();
  void update(const void* data, std::size_t size);
  // The digest; the object is spent afterwards.
  std::array<std::uint8_t, 32> finish();

 private:
  void block(const std::uint8_t* p);
  std::array<std::uint32_t, 8> h_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;
};

// Lower-case hexadecimal form of a digest.
std::string digest_hex(const std::array<std::uint8_t, 32>& digest);
// Lower-case hexadecimal digest of the bytes.
std::string sha256_hex(std::string_view bytes);
// Lower-case hexadecimal digest of the file's content; nullopt when it cannot be read whole.
std::optional<std::string> file_sha256_hex(const std::filesystem::path& path);

}  // namespace wellvue
