// Random-access byte sources the AVI reader works on: a file on disk or bytes in memory,
// so that the same parser serves files of gigabytes and in-memory test or fuzz input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace wellvue::avi {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // True only when all n bytes at offset were read; never reads past size().
  virtual bool read(std::uint64_t offset, void* out, std::size_t n) = 0;
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, void* out, std::size_t n) override;

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

class FileSource final : public ByteSource {
 public:
  explicit FileSource(const std::string& path);
  bool is_open() const { return open_; }
  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, void* out, std::size_t n) override;

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
  bool open_ = false;
};

}  // namespace wellvue::avi
