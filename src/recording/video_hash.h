// The video's SHA-256 worked out once, in the background, right after a recording ends, and kept
// beside it as "<video>.sha256" in sha256sum's format: a report or a client checks the delivery
// without reading gigabytes again.
#pragma once
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace wellvue {

// "<video>.sha256" (UTF-8 names).
std::string kept_hash_name(const std::string& video);

// The digest kept beside the video (64 lower-case hex digits), when it can be trusted: a plain
// file (not a link) of exactly one line "<digest>  <video's file name>", written no earlier than
// the video's last change. nullopt otherwise.
std::optional<std::string> kept_video_hash(const std::string& video);

// Finished videos hashed one after another on one background thread at low priority. Nothing is
// ever replaced at the hash file's name; a video that fails (unreadable, changed or removed while
// hashed, no room for the hash file) leaves no hash file, and the failure is only told to the
// callback, from the hasher's thread.
class VideoHasher {
 public:
  // `video` (UTF-8) and why, in French (UTF-8).
  using Failed = std::function<void(const std::string& video, const std::string& why)>;

  explicit VideoHasher(Failed failed = {});
  // Stops the video being hashed at its next block, drops the rest of the queue and joins: a
  // 13 GB video never holds up the program's end.
  ~VideoHasher();
  VideoHasher(const VideoHasher&) = delete;
  VideoHasher& operator=(const VideoHasher&) = delete;

  // Queues the video (UTF-8); returns at once.
  void queue(const std::string& video);
  // Waits until every queued video is done (a tool that exits; never the windows' thread).
  void wait_idle();

 private:
  void run();
  void hash_one(const std::string& video);

  Failed failed_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> queue_;
  bool busy_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;  // started by the first queued video
};

}  // namespace wellvue
