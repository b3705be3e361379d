// The background hasher on real files: a sparse 4 GB video cancelled mid-way, a full tmpfs, names
// already taken at the hash file's place; what it writes checked by sha256sum itself.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include "../util/temp_dir.h"
#include "recording/video_hash.h"
#include "small_disk.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;
using test::SmallDisk;
using test::TempDir;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void write_random(const fs::path& p, std::size_t bytes) {
  std::mt19937 rng(3);
  std::string data(bytes, '\0');
  for (char& c : data) c = static_cast<char>(rng());
  std::ofstream(p, std::ios::binary) << data;
}

// A file of that size that takes no room on the disk.
void sparse_file(const fs::path& p, off_t bytes) {
  std::ofstream{p};
  ASSERT_EQ(::truncate(p.c_str(), bytes), 0) << std::strerror(errno);
}

// sha256sum -c in the video's folder: the client's own check of the delivery.
bool sha256sum_accepts(const fs::path& hash_file) {
  const std::string command = "cd '" + hash_file.parent_path().string() + "' && sha256sum --quiet -c '" +
                              hash_file.filename().string() + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct Told {
  std::mutex mutex;
  std::vector<std::string> why;
  VideoHasher::Failed callback() {
    return [this](const std::string&, const std::string& w) {
      const std::lock_guard<std::mutex> lock(mutex);
      why.push_back(w);
    };
  }
};

TEST(VideoHasher, DestructionMidWayThroughAHugeVideoReturnsAtOnceAndLeavesNoFile) {
  TempDir dir;
  const fs::path video = dir.path() / "P1.avi";
  // 4 GB without using the disk: a whole hash of it takes many seconds.
  sparse_file(video, off_t{4} << 30);
  Told told;
  std::chrono::duration<double> took{};
  {
    auto hasher = std::make_unique<VideoHasher>(told.callback());
    hasher->queue(video.string());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto t0 = std::chrono::steady_clock::now();
    hasher.reset();
    took = std::chrono::steady_clock::now() - t0;
  }
  EXPECT_LT(took.count(), 1.0);
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"P1.avi"});
  EXPECT_TRUE(told.why.empty()) << told.why.front();  // a cancel is not a failure
}

TEST(VideoHasher, AFullDiskLeavesNoHashFileAndTheNextVideoOnceThereIsRoomGetsOneSha256sumAccepts) {
  TempDir dir;
  SmallDisk disk(dir.path() / "disk", "256k");
  if (!disk.mounted) GTEST_SKIP() << "mounting a tmpfs needs root";
  const fs::path video = disk.path / "P2.avi";
  write_random(video, 100 * 1024);
  {
    std::ofstream filler(disk.path / "filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
    }
  }
  Told told;
  VideoHasher hasher(told.callback());
  hasher.queue(video.string());
  hasher.wait_idle();
  EXPECT_EQ(names_in(disk.path), (std::vector<std::string>{"P2.avi", "filler"}));
  ASSERT_EQ(told.why.size(), 1u);
  EXPECT_NE(told.why[0].find("place"), std::string::npos) << told.why[0];

  fs::remove(disk.path / "filler");
  hasher.queue(video.string());
  hasher.wait_idle();
  EXPECT_TRUE(sha256sum_accepts(disk.path / "P2.avi.sha256"));
  EXPECT_EQ(kept_video_hash(video.string()), slurp(disk.path / "P2.avi.sha256").substr(0, 64));
}

TEST(VideoHasher, WhatIsAlreadyAtTheNameIsLeftAloneUnlessItIsTheHashOfAnEarlierVideo) {
  TempDir dir;
  const fs::path outside = dir.path() / "outside.txt";
  const struct {
    const char* what;
    // Puts something at `name` (the video's mtime is `video_time`).
    std::function<void(const fs::path& name, fs::file_time_type video_time)> plant;
    bool hashed;  // a fresh hash file replaces it
  } cases[] = {
      {"a link to a file elsewhere", [&](const fs::path& n, auto) { fs::create_symlink(outside, n); }, false},
      {"a dangling link", [&](const fs::path& n, auto) { fs::create_symlink(dir.path() / "none", n); }, false},
      {"a file written after the video",
       [](const fs::path& n, fs::file_time_type t) {
         std::ofstream(n) << "planted\n";
         fs::last_write_time(n, t + std::chrono::seconds(5));
       },
       false},
      {"the hash of an earlier video of that name",
       [](const fs::path& n, fs::file_time_type t) {
         std::ofstream(n) << std::string(64, '0') << "  P3.avi\n";
         fs::last_write_time(n, t - std::chrono::seconds(60));
       },
       true},
  };
  for (const auto& c : cases) {
    const fs::path folder = dir.path() / c.what;
    fs::create_directories(folder);
    std::ofstream(outside) << "not to be touched\n";
    const fs::path video = folder / "P3.avi";
    write_random(video, 3 * 1024 * 1024 + 5);
    const fs::path name = folder / "P3.avi.sha256";
    c.plant(name, fs::last_write_time(video));
    const fs::file_status before = fs::symlink_status(name);
    const std::string planted = fs::is_symlink(before) ? fs::read_symlink(name).string() : slurp(name);
    Told told;
    VideoHasher hasher(told.callback());
    hasher.queue(video.string());
    hasher.wait_idle();
    EXPECT_EQ(slurp(outside), "not to be touched\n") << c.what;
    EXPECT_EQ(names_in(folder), (std::vector<std::string>{"P3.avi", "P3.avi.sha256"})) << c.what;
    if (c.hashed) {
      EXPECT_TRUE(sha256sum_accepts(name)) << c.what;
      EXPECT_TRUE(told.why.empty()) << c.what;
    } else {
      EXPECT_EQ(fs::symlink_status(name).type(), before.type()) << c.what;
      EXPECT_EQ(fs::is_symlink(name) ? fs::read_symlink(name).string() : slurp(name), planted) << c.what;
      EXPECT_EQ(told.why.size(), 1u) << c.what;
    }
  }
}

TEST(VideoHasher, AVideoThatGrowsWhileHashedGetsNoHash) {
  TempDir dir;
  const fs::path video = dir.path() / "P4.avi";
  sparse_file(video, off_t{256} << 20);
  Told told;
  VideoHasher hasher(told.callback());
  hasher.queue(video.string());
  // Well before the end: 256 MB take the hasher more than a second.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::ofstream(video, std::ios::binary | std::ios::app) << "late frame";
  hasher.wait_idle();
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"P4.avi"});
  ASSERT_EQ(told.why.size(), 1u);
  EXPECT_NE(told.why[0].find("chang"), std::string::npos) << told.why[0];
}

}  // namespace
}  // namespace wellvue
