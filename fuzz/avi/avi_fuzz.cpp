// Feeds arbitrary bytes to the AVI reader (in memory) and to the repair (as a file): never a
// crash or a read out of bounds; a file the repair does not repair stays byte for byte as it
// was; a repaired file reads back finalised with the frames reported, and is left alone after.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "capture/avi/avi_info.h"
#include "capture/avi/avi_repair.h"
#include "capture/avi/byte_source.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string& work_file() {
  static const std::string path = [] {
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path dir =
        std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
    return (dir / ("wellvue_fuzz_avi_" + std::to_string(getpid()) + ".avi")).string();
  }();
  return path;
}

void write_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wellvue::avi;
  // An exact copy, so that any read past the end is caught.
  auto exact = std::make_unique<std::uint8_t[]>(size == 0 ? 1 : size);
  std::copy(data, data + size, exact.get());
  MemorySource src(exact.get(), size);
  const AviReadResult read = read_avi(src);
  check(read.info.has_value() != !read.error.empty(), "a result or a reason");
  if (read.info) {
    const AviInfo& i = *read.info;
    check(i.file_size == size, "file size");
    check(i.movi_data_end <= size, "movi end inside the file");
    check(i.video_chunks() * 8 <= size, "chunks inside the file");
    check(!i.finalised || (i.has_idx1 && i.idx1_complete), "finalised with an index");
  }

  const std::string& path = work_file();
  write_file(path, data, size);
  const RepairResult r = repair_avi(path);
  check(!r.message.empty(), "a message");
  const Bytes after = read_file(path);
  if (r.status != RepairStatus::Repaired) {
    check(after.size() == size && std::equal(after.begin(), after.end(), data), "untouched unless repaired");
  } else {
    const AviReadResult again = read_avi_file(path);
    check(again.info && again.info->finalised, "repaired means finalised");
    check(again.info->video_chunks() == r.frames, "frames reported");
    check(repair_avi(path).status == RepairStatus::AlreadyFinalised, "a second repair leaves it");
    check(read_file(path) == after, "a second repair writes nothing");
  }
  std::remove(path.c_str());
  return 0;
}
