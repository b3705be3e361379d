// A file written by appending pieces synced one by one: a piece is on disk whole or not at all (a
// write cut short by a full disk is taken back), and a crash keeps every piece written so far.
#pragma once
#include <sys/types.h>

#include <string>
#include <string_view>

namespace wellvue {

class WholeAppendFile {
 public:
  WholeAppendFile() = default;
  ~WholeAppendFile();
  WholeAppendFile(const WholeAppendFile&) = delete;
  WholeAppendFile& operator=(const WholeAppendFile&) = delete;

  // Starts the file (UTF-8 path) empty; false when it cannot be created. A link is not followed.
  bool open(const std::string& path);
  bool is_open() const { return fd_ >= 0; }
  // Appends the piece and syncs it; false (and the file back to its last whole piece) when it
  // could not be written whole.
  bool append(std::string_view piece);
  // Empties the file.
  void truncate();
  void close();
  // A write failed since the open (disk full, medium gone).
  bool failed() const { return failed_; }

 private:
  int fd_ = -1;
  off_t whole_ = 0;  // bytes of the pieces written whole
  bool failed_ = false;
};

}  // namespace wellvue
