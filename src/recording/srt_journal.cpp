#include "recording/srt_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace wellvue {

SrtJournal::~SrtJournal() { close(); }

bool SrtJournal::open(const std::string& path) {
  close();
  pending_.clear();
  return file_.open(path);
}

bool SrtJournal::can_open(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  if (errno != ENOENT) return false;
  fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(path.c_str());
  return true;
}

void SrtJournal::line(const std::string& text) {
  if (!file_.is_open()) return;
  pending_ += text;
  pending_ += "\r\n";
  if (text.empty()) write_pending();
}

void SrtJournal::cleared() {
  if (!file_.is_open()) return;
  pending_.clear();
  file_.truncate();
}

void SrtJournal::write_pending() {
  // A failed entry is taken back by the file; the stop writes the whole track from memory anyway.
  file_.append(pending_);
  pending_.clear();
}

void SrtJournal::close() {
  if (!file_.is_open()) return;
  if (!pending_.empty()) write_pending();
  file_.close();
}

}  // namespace wellvue
