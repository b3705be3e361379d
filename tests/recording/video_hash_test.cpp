// The background hasher on real files: a sparse 4 GB video cancelled mid-way, a full tmpfs, names
// already taken at the hash file's place; what it writes is checked by sha256sum itself.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "../util/temp_dir.h"
#include "recording/video_hash.h"
#include "small_disk.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::set<std::string> names_in(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

// sha256sum -c in the video's folder: the client's own check of the delivery.
bool sha256sum_accepts(const fs::path& hash) {
  return std::system(("cd '" + hash.parent_path().string() + "' && sha256sum --quiet -c '" + hash.filename().string() +
                      "' >/dev/null 2>&1")
                         .c_str()) == 0;
}

// The hasher with the failures it told.
struct Hasher {
  std::mutex mutex;
  std::vector<std::string> failures;
  VideoHasher hasher{[this](const std::string&, const std::string& why) {
    const std::lock_guard<std::mutex> lock(mutex);
    failures.push_back(why);
  }};
  void hash(const fs::path& video) {
    hasher.queue(video.string());
    hasher.wait_idle();
  }
};

TEST(VideoHasher, DestructionMidWayThroughAHugeVideoReturnsAtOnceAndLeavesNoFile) {
  test::TempDir dir;
  const fs::path video = dir.path() / "P1.avi";
  std::ofstream{video};
  ASSERT_EQ(::truncate(video.c_str(), off_t{4} << 30), 0);  // no room taken; many seconds to hash
  auto h = std::make_unique<Hasher>();
  h->hasher.queue(video.string());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto t0 = std::chrono::steady_clock::now();
  h.reset();
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 1.0);
  EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"P1.avi"});
}

TEST(VideoHasher, AFullDiskLeavesNoHashFileAndOnceThereIsRoomSha256sumAcceptsIt) {
  test::TempDir dir;
  test::SmallDisk disk(dir.path() / "disk", "256k");
  if (!disk.mounted) GTEST_SKIP() << "mounting a tmpfs needs root";
  const fs::path video = disk.path / "P2.avi";
  std::ofstream(video, std::ios::binary) << std::string(100 * 1024, 'v');
  for (std::ofstream filler(disk.path / "filler", std::ios::binary); filler << std::string(4096, 'f') << std::flush;) {
  }
  Hasher h;
  h.hash(video);
  EXPECT_EQ(names_in(disk.path), (std::set<std::string>{"P2.avi", "filler"}));
  ASSERT_EQ(h.failures.size(), 1u);
  EXPECT_NE(h.failures[0].find("place"), std::string::npos) << h.failures[0];
  fs::remove(disk.path / "filler");
  h.hash(video);
  EXPECT_TRUE(sha256sum_accepts(disk.path / "P2.avi.sha256"));
}

TEST(VideoHasher, WhatIsAlreadyAtTheNameIsLeftAloneUnlessItIsTheHashOfAnEarlierVideo) {
  test::TempDir dir;
  const fs::path outside = dir.path() / "outside";
  std::ofstream(outside) << "untouched";
  const struct {
    const char* what;
    fs::path link_to;  // empty: a file holding "planted", `age` before the video
    std::chrono::seconds age;
  } cases[] = {
      {"link", outside, {}},
      {"dangling link", dir.path() / "none", {}},
      {"file newer than the video", {}, std::chrono::seconds(-5)},
      {"hash of an earlier video", {}, std::chrono::seconds(60)},
  };
  for (const auto& c : cases) {
    const fs::path folder = dir.path() / c.what, video = folder / "P3.avi", name = folder / "P3.avi.sha256";
    fs::create_directories(folder);
    std::ofstream(video) << "frames " << c.what;
    if (c.link_to.empty()) {
      std::ofstream(name) << "planted";
      fs::last_write_time(name, fs::last_write_time(video) - c.age);
    } else {
      fs::create_symlink(c.link_to, name);
    }
    Hasher h;
    h.hash(video);
    const bool replaced = c.age.count() > 0;
    EXPECT_EQ(slurp(outside), "untouched") << c.what;
    EXPECT_EQ(fs::is_symlink(name), !c.link_to.empty()) << c.what;
    if (c.link_to.empty()) {
      EXPECT_EQ(slurp(name) == "planted", !replaced) << c.what;
    }
    EXPECT_EQ(sha256sum_accepts(name), replaced) << c.what;
    EXPECT_EQ(h.failures.size(), replaced ? 0u : 1u) << c.what;
  }
}

}  // namespace
}  // namespace wellvue
