#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "capture/capture_files.h"

namespace wellvue {
namespace {
namespace fs = std::filesystem;

std::string read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Rename fails as between two file systems; copying may be told to fail too.
class OtherFileSystem : public CaptureFiles {
 public:
  bool copy_fails = false;
  void rename(const std::string& from, const std::string& to, std::error_code& ec) override {
    if (fs::path(from).extension() != ".part") {
      ec = std::make_error_code(std::errc::cross_device_link);
      return;
    }
    CaptureFiles::rename(from, to, ec);
  }
  void copy(const std::string& from, const std::string& to, std::error_code& ec) override {
    if (copy_fails) {
      std::ofstream(to) << "half";  // a partial copy left behind by the failure
      ec = std::make_error_code(std::errc::no_space_on_device);
      return;
    }
    CaptureFiles::copy(from, to, ec);
  }
};

class CaptureFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("wellvue_files_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(CaptureFilesTest, MoveReplacesAnExistingFile) {
  std::ofstream(dir / "temp.avi") << "new recording";
  std::ofstream(dir / "final.avi") << "old";
  CaptureFiles files;
  std::error_code ec;
  ASSERT_TRUE(files.move((dir / "temp.avi").string(), (dir / "final.avi").string(), ec)) << ec.message();
  EXPECT_EQ(read(dir / "final.avi"), "new recording");
  EXPECT_FALSE(fs::exists(dir / "temp.avi"));
}

TEST_F(CaptureFilesTest, MoveAcrossFileSystemsCopiesThenDeletes) {
  std::ofstream(dir / "temp.avi") << "frames";
  std::ofstream(dir / "final.avi") << "old";
  OtherFileSystem files;
  std::error_code ec;
  ASSERT_TRUE(files.move((dir / "temp.avi").string(), (dir / "final.avi").string(), ec)) << ec.message();
  EXPECT_EQ(read(dir / "final.avi"), "frames");
  EXPECT_FALSE(fs::exists(dir / "temp.avi"));
  EXPECT_FALSE(fs::exists(dir / "final.avi.part"));
}

TEST_F(CaptureFilesTest, FailedCopyKeepsSourceAndOldTargetWhole) {
  std::ofstream(dir / "temp.avi") << "frames";
  std::ofstream(dir / "final.avi") << "old";
  OtherFileSystem files;
  files.copy_fails = true;
  std::error_code ec;
  EXPECT_FALSE(files.move((dir / "temp.avi").string(), (dir / "final.avi").string(), ec));
  EXPECT_EQ(ec, std::errc::no_space_on_device);
  EXPECT_EQ(read(dir / "temp.avi"), "frames");
  EXPECT_EQ(read(dir / "final.avi"), "old");
  EXPECT_FALSE(fs::exists(dir / "final.avi.part"));
}

TEST_F(CaptureFilesTest, MoveIntoMissingFolderFailsAndKeepsSource) {
  std::ofstream(dir / "temp.avi") << "frames";
  CaptureFiles files;
  std::error_code ec;
  EXPECT_FALSE(files.move((dir / "temp.avi").string(), (dir / "nowhere" / "final.avi").string(), ec));
  EXPECT_TRUE(ec);
  EXPECT_EQ(read(dir / "temp.avi"), "frames");
}

TEST_F(CaptureFilesTest, PreallocationReservesOrRefusesWhatTheDiskCannotHold) {
  CaptureFiles files;
  const auto path = (dir / "pre.avi").string();
  ASSERT_TRUE(files.preallocate(path, 3u * 1048576u));
  EXPECT_EQ(fs::file_size(path), 3u * 1048576u);
  // 4096 MB and more: must not wrap around to a small size, and beyond the free space it fails.
  const auto space = fs::space(dir);
  const std::uint64_t too_big = space.available + (std::uint64_t{1} << 30);
  const auto big = (dir / "big.avi").string();
  EXPECT_FALSE(files.preallocate(big, too_big));
  EXPECT_FALSE(fs::exists(big));
}

TEST(ResolveTempFileName, RelativeNamesLiveBesideTheFinalFile) {
  struct Row {
    const char* temp;
    const char* final_name;
    std::string want;
  } rows[] = {
      {"captemp.avi", "/videos/forage 2026.avi", "/videos/captemp.avi"},
      {"tmp/x.avi", "/videos/a.avi", "/videos/tmp/x.avi"},
      {"/var/tmp/x.avi", "/videos/a.avi", "/var/tmp/x.avi"},
      // Both relative: the same folder, the current one, and always an absolute path.
      {"captemp.avi", "capture.avi", (fs::current_path() / "captemp.avi").string()},
      {"", "/videos/a.avi", ""},
  };
  for (const auto& r : rows) EXPECT_EQ(ResolveTempFileName(r.temp, r.final_name), r.want) << r.temp;
}

}  // namespace
}  // namespace wellvue
