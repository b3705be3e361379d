// File operations of the engine on recordings: existence, deletion, moving a recording to its final
// name (also across file systems), preallocation. Virtual so a test can make a step fail.
#pragma once
#include <cstdint>
#include <string>
#include <system_error>

namespace wellvue {

// What a name in a folder is, without following a symbolic link.
enum class EntryKind { None, PlainFile, Other };  // Other: a link, a folder, a device, a pipe

class CaptureFiles {
 public:
  virtual ~CaptureFiles() = default;
  // Whether the name is taken, by anything (a dangling link too).
  virtual bool exists(const std::string& path);
  virtual EntryKind entry_kind(const std::string& path);
  // True when the file is gone afterwards (a missing file is no error).
  virtual bool remove(const std::string& path);
  virtual void rename(const std::string& from, const std::string& to, std::error_code& ec);
  // Creates `to` (never over an existing name, never through a link) with the bytes of `from`.
  virtual void copy(const std::string& from, const std::string& to, std::error_code& ec);
  // Reserve `bytes` for a new file at `path`; false when the disk cannot hold it.
  virtual bool preallocate(const std::string& path, std::uint64_t bytes);

  // Replace `to` by `from`: a rename, or a copy then delete when the two are on different file
  // systems. On failure `from` is left whole and `to` is not left half-written.
  bool move(const std::string& from, const std::string& to, std::error_code& ec);
};

// A relative `temp` is taken in the folder of `final_name` (the current folder when that has
// none), always as an absolute path; an absolute one stays.
std::string ResolveTempFileName(const std::string& temp, const std::string& final_name);

}  // namespace wellvue
