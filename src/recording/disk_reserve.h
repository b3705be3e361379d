// A few megabytes held in the video folder while a recording runs: when the video fills the disk,
// giving them back leaves room for the subtitle file and the journal's last writes.
#pragma once
#include <cstdint>
#include <string>

namespace wellvue {

class DiskReserve {
 public:
  static constexpr std::uint64_t kBytes = 4u << 20;
  static constexpr const char* kFileName = ".wellvue-reserve";

  DiskReserve() = default;
  ~DiskReserve() { release(); }
  DiskReserve(const DiskReserve&) = delete;
  DiskReserve& operator=(const DiskReserve&) = delete;

  // Allocates the reserve in `folder` (UTF-8); false when the disk cannot hold it. A reserve left
  // by a killed station is taken over; a link or anything but a plain file of ours is not.
  bool create(const std::string& folder, std::uint64_t bytes = kBytes);
  // Gives the room back (removes the file); nothing when there is none.
  void release();
  bool held() const { return !path_.empty(); }

 private:
  std::string path_;
};

}  // namespace wellvue
