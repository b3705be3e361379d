#include "capture/avi/repair_support.h"

#include "capture/avi/keyframe.h"
#include "capture/avi/movi_walk.h"
#include "capture/avi/riff.h"
#include "util/numbers.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace wellvue::avi::detail {

namespace {

// French notation whatever the locale.
std::string seconds_text(double s) { return fixed_text(s, 1, ','); }

}  // namespace

std::string number(std::uint64_t n) { return std::to_string(n); }

RepairResult failed(std::string reason) {
  RepairResult r;
  r.status = RepairStatus::Failed;
  r.message = "R\xE9paration impossible, fichier laiss\xE9 tel quel : " + reason;
  return r;
}

RepairResult repaired(std::uint64_t frames, std::uint64_t dropped_bytes, double duration_seconds) {
  RepairResult r;
  r.status = RepairStatus::Repaired;
  r.frames = frames;
  r.dropped_bytes = dropped_bytes;
  r.duration_seconds = duration_seconds;
  r.message = "Fichier r\xE9par\xE9 : " + number(frames) + " images, " + seconds_text(duration_seconds) + " s";
  if (dropped_bytes != 0) r.message += ", " + number(dropped_bytes) + " octets incomplets retir\xE9s";
  return r;
}

bool all_zero(ByteSource& src, std::uint64_t from, std::uint64_t to) {
  std::vector<std::uint8_t> buf(64 * 1024);
  while (from < to) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), to - from));
    if (!src.read(from, buf.data(), n)) return false;
    if (std::any_of(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n), [](std::uint8_t b) { return b != 0; }))
      return false;
    from += n;
  }
  return true;
}

bool read_bytes(ByteSource& src, std::uint64_t from, std::uint64_t to, std::vector<std::uint8_t>& out) {
  out.resize(static_cast<std::size_t>(to - from));
  return src.read(from, out.data(), out.size());
}

Tail classify_tail(ByteSource& src, const AviInfo& info, std::uint64_t from, std::uint64_t known) {
  if (from >= info.file_size) return Tail::Small;
  std::uint64_t largest = 0;
  for (const AviStream& s : info.streams) largest = std::max<std::uint64_t>(largest, s.largest_chunk);
  const std::uint64_t allowed = 2 * largest + kMiB + known;
  if (info.file_size - from <= allowed) return Tail::Small;
  return all_zero(src, from, info.file_size) ? Tail::Zeros : Tail::Unreadable;
}

bool build_idx1(ByteSource& src, const AviInfo& info, std::vector<std::uint8_t>& idx1) {
  const std::uint64_t movi_base = info.movi_list_offset + 8;  // offsets count from the "movi" code
  idx1.assign(8, 0);
  const char tag[4] = {'i', 'd', 'x', '1'};
  std::copy(tag, tag + 4, idx1.begin());
  std::vector<std::uint8_t> probe;
  bool ok = true;
  walk_movi(src, info.movi_list_offset + 12, static_cast<int>(info.streams.size()), [&](const MoviChunk& c) {
    const AviStream& s = info.streams[static_cast<std::size_t>(c.stream)];
    const std::size_t want = std::min<std::size_t>(keyframe_probe_size(s), c.size);
    probe.resize(want);
    if (want != 0 && !src.read(c.offset + 8, probe.data(), want)) ok = false;
    std::uint8_t e[16];
    std::copy(c.id.begin(), c.id.end(), e);
    put_u32(e + 4, is_keyframe(s, probe.data(), probe.size(), c.size) ? kAviifKeyframe : 0);
    put_u32(e + 8, static_cast<std::uint32_t>(c.offset - movi_base));
    put_u32(e + 12, c.size);
    idx1.insert(idx1.end(), e, e + 16);
  });
  put_u32(idx1.data() + 4, static_cast<std::uint32_t>(idx1.size() - 8));
  // Readers take the offsets as relative to movi when the first is below movi's own offset,
  // as absolute otherwise. A first chunk further in (behind a damaged stretch made JUNK) would
  // be misread: the offsets are then written absolute, which reads the same everywhere.
  if (idx1.size() > 8 && get_u32(idx1.data() + 8 + 8) >= info.movi_list_offset)
    for (std::size_t e = 8; e < idx1.size(); e += 16)
      put_u32(idx1.data() + e + 8, static_cast<std::uint32_t>(get_u32(idx1.data() + e + 8) + movi_base));
  return ok;
}

namespace {

// The recording itself, never a file a link points to.
int open_for_patching(const std::string& path) { return ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC); }

bool write_all_at(int fd, std::uint64_t offset, const std::uint8_t* data, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::pwrite(fd, data, n, static_cast<off_t>(offset));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;  // a full disk shows here, not later
    data += w;
    offset += static_cast<std::uint64_t>(w);
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

// On disk before the next step relies on it: a power cut must not undo what was written.
bool close_synced(int fd, bool ok) {
  ok = ok && ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

}  // namespace

bool write_at(const std::string& path, std::uint64_t offset, const std::vector<std::uint8_t>& bytes) {
  const int fd = open_for_patching(path);
  if (fd < 0) return false;
  return close_synced(fd, write_all_at(fd, offset, bytes.data(), bytes.size()));
}

bool write_patches(const std::string& path, const std::vector<Patch>& patches) {
  const int fd = open_for_patching(path);
  if (fd < 0) return false;
  bool ok = true;
  for (const Patch& p : patches) {
    std::uint8_t b[4];
    put_u32(b, p.value);
    ok = ok && write_all_at(fd, p.offset, b, 4);
  }
  return close_synced(fd, ok);
}

bool Restorer::keep(ByteSource& src, std::uint64_t from, std::uint64_t to) {
  std::vector<std::uint8_t> bytes;
  if (to > from && !read_bytes(src, from, to, bytes)) return false;
  keep(from, std::move(bytes));
  return true;
}

void Restorer::restore() const {
  std::error_code ec;
  std::filesystem::resize_file(path_, size_, ec);
  std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
  for (const auto& [offset, bytes] : saved_) {
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
}

}  // namespace wellvue::avi::detail
