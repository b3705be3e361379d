#include "recording/video_hash.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "capture/errno_text.h"
#include "capture/new_file.h"
#include "util/cp1252.h"
#include "util/sha256.h"

namespace wellvue {
namespace {

constexpr std::size_t kBlock = 1 << 20;
// A kept hash file is one short line; anything larger is not one.
constexpr off_t kMostHashFileBytes = 4096;
// Below the recording and the windows: hashing only uses what they leave.
constexpr int kNiceness = 10;

std::string file_name_of(const std::string& path) { return std::filesystem::path(path).filename().string(); }

bool not_older(const timespec& a, const timespec& b) {
  return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec >= b.tv_nsec);
}

bool same_state(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

bool lower_hex(const std::string& s) {
  if (s.size() != 64) return false;
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::string errno_words(int error) { return cp1252_to_utf8(errno_text_fr(error)); }

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string kept_hash_name(const std::string& video) { return video + ".sha256"; }

std::optional<std::string> kept_video_hash(const std::string& video) {
  const std::string name = kept_hash_name(video);
  struct stat kept {};
  struct stat shown {};
  if (::lstat(name.c_str(), &kept) != 0 || !S_ISREG(kept.st_mode) || kept.st_size > kMostHashFileBytes)
    return std::nullopt;
  if (::stat(video.c_str(), &shown) != 0 || !S_ISREG(shown.st_mode)) return std::nullopt;
  // A video written again after its hash: the hash is of the earlier one.
  if (!not_older(kept.st_mtim, shown.st_mtim)) return std::nullopt;
  // Non-blocking: a FIFO swapped in after the check must not hold the report.
  Fd fd(::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat opened {};
  if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || opened.st_dev != kept.st_dev || opened.st_ino != kept.st_ino)
    return std::nullopt;
  std::string text(static_cast<std::size_t>(kMostHashFileBytes) + 1, '\0');
  std::size_t have = 0;
  for (;;) {
    const ssize_t n = ::read(fd.get(), text.data() + have, text.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0 || (have += static_cast<std::size_t>(n)) == text.size()) break;
  }
  text.resize(have);
  if (!text.empty() && text.back() == '\n') text.pop_back();
  const std::string digest = text.substr(0, 64);
  if (!lower_hex(digest) || text.compare(64, std::string::npos, "  " + file_name_of(video)) != 0) return std::nullopt;
  return digest;
}

VideoHasher::VideoHasher(Failed failed) : failed_(std::move(failed)) {}

VideoHasher::~VideoHasher() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    queue_.clear();
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void VideoHasher::queue(const std::string& video) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(video);
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
  }
  changed_.notify_all();
}

void VideoHasher::wait_idle() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return stop_ || (queue_.empty() && !busy_); });
}

void VideoHasher::run() {
  // The calling thread only: on Linux a thread has a priority of its own.
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kNiceness);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    if (stop_) return;
    const std::string video = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    hash_one(video);
    lock.lock();
    busy_ = false;
    changed_.notify_all();
  }
}

void VideoHasher::hash_one(const std::string& video) {
  auto fail = [&](const std::string& why) {
    if (failed_ && !stop_) failed_(video, why);
  };
  const std::string name = kept_hash_name(video);
  const std::string file_name = file_name_of(video);
  // sha256sum reads a line per file: a line end in the name cannot be written.
  if (file_name.find_first_of("\r\n") != std::string::npos) return fail("nom de fichier impossible dans une ligne");
  // Non-blocking: a FIFO planted at the name must not hold the hasher.
  Fd fd(::open(video.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return fail(errno_words(errno));
  struct stat before {};
  if (::fstat(fd.get(), &before) != 0 || !S_ISREG(before.st_mode)) return fail("n'est pas un fichier ordinaire");
  struct stat there {};
  if (::lstat(name.c_str(), &there) == 0) {
    // The hash of an earlier video of that name goes; anything else there stays as it is.
    if (!S_ISREG(there.st_mode) || not_older(there.st_mtim, before.st_mtim) || ::unlink(name.c_str()) != 0)
      return fail(cp1252_to_utf8(kept_hash_name(file_name)) + " existe d\xC3\xA9j\xC3\xA0");
  }
  ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

  std::vector<char> block(kBlock);
  Sha256 sha;
  for (;;) {
    if (stop_) return;
    const ssize_t n = ::read(fd.get(), block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(errno_words(errno));
    if (n == 0) break;
    sha.update(block.data(), static_cast<std::size_t>(n));
  }
  struct stat after {};
  struct stat now {};
  if (::fstat(fd.get(), &after) != 0 || ::stat(video.c_str(), &now) != 0 || !same_state(before, after) ||
      !same_state(before, now))
    return fail("la vid\xC3\xA9o a chang\xC3\xA9 pendant le calcul");
  const std::string line = digest_hex(sha.finish()) + "  " + file_name + "\n";
  if (const int error = write_new_file(name, line); error != 0) return fail(errno_words(error));
}

}  // namespace wellvue
