// Snapshots on the engine's side: when the engine asks its backend for one (only with a running
// camera), writing a new file under a name nothing has (real files, links and folders), and the
// band's size rule.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>
#include <sstream>

#include "capture/new_file.h"
#include "capture/snapshot.h"
#include "engine_fixture.h"

namespace wellvue::test {
namespace {
namespace fs = std::filesystem;

std::vector<std::string> entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(EngineTest, SnapshotOnlyFromARunningCameraAndTheBackendsAnswerAsItIs) {
  SnapshotResult saved;
  saved.status = SnapshotStatus::Saved;
  saved.width = 640;
  saved.height = 554;
  saved.band_height = 74;
  const std::vector<std::string> lines = {"Puits 1  08/12/2026 22:40:12", "Profondeur 12.34 m"};
  struct Case {
    const char* label;
    std::function<void()> set_up;
    bool asks_backend;
  };
  const Case cases[] = {
      {"no graph yet", [] {}, false},
      {"built, preview off",
       [&] {
         config.WantPreview = false;
         apply();
       },
       false},
      {"previewing", [&] { apply(); }, true},
      {"preview stopped",
       [&] {
         apply();
         cap->StopPreview();
       },
       false},
      {"recording without preview",
       [&] {
         config.WantPreview = false;
         apply();
         ASSERT_TRUE(cap->StartCapture(false));
       },
       true},
      {"recording with preview",
       [&] {
         apply();
         ASSERT_TRUE(cap->StartCapture(false));
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    cap.reset();
    backend.release_graph();
    config.WantPreview = true;
    make();
    c.set_up();
    backend.log.clear();
    backend.snapshot = saved;
    const SnapshotResult r = cap->save_snapshot(path("puits 12.34m.jpg"), lines);
    if (c.asks_backend) {
      EXPECT_EQ(backend.log, std::vector<std::string>{"save_snapshot " + path("puits 12.34m.jpg")});
      EXPECT_EQ(backend.snapshot_lines, lines);
      EXPECT_TRUE(r.ok());
      EXPECT_EQ(r.height, 554);
    } else {
      EXPECT_TRUE(backend.log.empty()) << ::testing::PrintToString(backend.log);
      EXPECT_EQ(r.status, SnapshotStatus::NoPicture);
      EXPECT_EQ(r.message, snapshot_no_picture().message);
    }
    EXPECT_TRUE(reports().empty()) << "the caller tells the operator, not the engine";
  }
  // A backend without snapshots says so.
  backend.snapshot.reset();
  const SnapshotResult r = cap->save_snapshot(path("autre.jpg"), lines);
  EXPECT_EQ(r.status, SnapshotStatus::NotSupported);
  EXPECT_FALSE(r.message.empty());
}

class NewFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("wellvue_new_file_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  fs::path dir;
};

TEST_F(NewFile, TakesOnlyAFreeNameAndLeavesNothingWhenItCannot) {
  std::ofstream(path("victime.txt")) << "ne pas toucher";
  std::ofstream(path("ancienne.jpg")) << "ancienne photo";
  ASSERT_EQ(::symlink("victime.txt", path("lien.jpg").c_str()), 0);
  ASSERT_EQ(::symlink("absent.jpg", path("lien-mort.jpg").c_str()), 0);
  fs::create_directory(dir / "dossier.jpg");
  const std::string longest(NAME_MAX - 4, 'p');  // the final name fits, a longer temporary one would not
  struct Case {
    std::string name;
    int error;
  };
  const Case cases[] = {
      {"photo.jpg", 0},
      {longest + ".jpg", 0},
      {"ancienne.jpg", EEXIST},
      {"lien.jpg", EEXIST},
      {"lien-mort.jpg", EEXIST},
      {"dossier.jpg", EEXIST},
      {"absent/photo.jpg", ENOENT},
      {std::string(NAME_MAX + 1, 'q'), ENAMETOOLONG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.substr(0, 40));
    EXPECT_EQ(write_new_file(path(c.name), "JPEG bytes"), c.error);
    if (c.error == 0) {
      EXPECT_EQ(read(path(c.name)), "JPEG bytes");
      struct stat st {};
      ASSERT_EQ(::lstat(path(c.name).c_str(), &st), 0);
      const mode_t mask = ::umask(0);
      ::umask(mask);
      EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << "made like any other file of the user";
    }
  }
  EXPECT_EQ(read(path("victime.txt")), "ne pas toucher");
  EXPECT_EQ(read(path("ancienne.jpg")), "ancienne photo");
  EXPECT_EQ(fs::read_symlink(path("lien.jpg")), "victime.txt");
  EXPECT_EQ(fs::read_symlink(path("lien-mort.jpg")), "absent.jpg");
  EXPECT_EQ(entries(dir), (std::vector<std::string>{"ancienne.jpg", "dossier.jpg", "lien-mort.jpg", "lien.jpg",
                                                    "photo.jpg", longest + ".jpg", "victime.txt"}))
      << "a temporary file was left behind";
}

TEST(SnapshotBandRule, HoldsEveryLineOnAnEvenBandThatGrowsWithTheLines) {
  EXPECT_EQ(snapshot_band(640, 480, 0).height, 0);
  EXPECT_EQ(snapshot_band(0, 480, 2).height, 0);
  const SnapshotBand pal = snapshot_band(720, 576, 2);
  EXPECT_EQ(pal.font_px, 24);
  EXPECT_EQ(pal.height, 2 * pal.line_px + 2 * pal.margin_px);
  for (const auto& [w, h] : {std::pair{160, 120}, {320, 240}, {640, 480}, {720, 576}, {1920, 1080}, {3840, 2160}}) {
    int previous = 0;
    for (std::size_t lines = 1; lines <= 4; ++lines) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " " + std::to_string(lines));
      const SnapshotBand b = snapshot_band(w, h, lines);
      EXPECT_GE(b.font_px, 10);
      EXPECT_GE(b.line_px * 100, b.font_px * 117) << "no room for the font's ascent and descent";
      EXPECT_GE(b.height, static_cast<int>(lines) * b.line_px + 2 * b.margin_px);
      EXPECT_EQ(b.height % 2, 0);
      EXPECT_GT(b.height, previous);
      previous = b.height;
    }
  }
}

}  // namespace
}  // namespace wellvue::test
