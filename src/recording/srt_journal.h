// The subtitle file kept on disk while a recording runs: each entry of the track is appended as
// soon as it is complete and synced, so a crash or a power cut keeps every entry written so far.
// An entry is on disk whole or not at all: a write cut short by a full disk is taken back.
#pragma once
#include <string>

#include "recording/whole_append_file.h"

namespace wellvue {

class SrtJournal {
 public:
  SrtJournal() = default;
  ~SrtJournal();
  SrtJournal(const SrtJournal&) = delete;
  SrtJournal& operator=(const SrtJournal&) = delete;

  // Starts the file (UTF-8 path) empty; false when it cannot be created. A link is not followed.
  bool open(const std::string& path);
  // Whether open(path) would succeed, without changing what is there (a file it had to create
  // for the test is removed again).
  static bool can_open(const std::string& path);
  bool is_open() const { return file_.is_open(); }
  // A line of the track; the empty line that ends an entry writes the entry (CR LF line ends).
  void line(const std::string& text);
  // The track was emptied: so is the file.
  void cleared();
  // Closes the file; lines of an unfinished entry are written first.
  void close();
  // A write failed since the open (disk full, medium gone).
  bool failed() const { return file_.failed(); }

 private:
  void write_pending();

  WholeAppendFile file_;
  std::string pending_;
};

}  // namespace wellvue
