// The demo's own folder: the same at every run, so a demo killed during a recording is recovered
// at the next start as in the real station; and never a folder someone else prepared.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "capture/avi/avi_info.h"
#include "demo.h"
#include "form_fixture.h"
#include "piped_child.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;

// Answers every box with OK or No, keeping the texts.
struct Boxes {
  Boxes() {
    QObject::connect(&timer, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts.push_back(box->text().toStdString());
        box->reject();
      }
    });
    timer.start(30);
  }
  QTimer timer;
  std::vector<std::string> texts;
};

// XDG_RUNTIME_DIR pointed at a folder of the test's own for its lifetime.
struct RuntimeFolder {
  RuntimeFolder() {
    char templ[] = "/tmp/wellvue-demo-rt-XXXXXX";
    path = mkdtemp(templ);
    const char* old = getenv("XDG_RUNTIME_DIR");
    before = old ? old : "";
    setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
  }
  ~RuntimeFolder() {
    setenv("XDG_RUNTIME_DIR", before.c_str(), 1);
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
  std::string before;
};

TEST(DemoFolder, AKilledDemoRecordingIsRecoveredByTheNextDemo) {
  RuntimeFolder runtime;
  test::PipedChild child({WELLVUE_DEMO_CRASH_CHILD});
  ASSERT_TRUE(child.started());
  std::string recording_file;
  bool running = false;
  while (!running) {
    const auto l = child.next_line();
    if (!l) break;
    if (l->rfind("recording ", 0) == 0) recording_file = l->substr(10);
    running = *l == "running";
  }
  child.kill_now();
  ASSERT_TRUE(running) << "the demo did not record";
  const fs::path videos = fs::path(Demo::default_folder().toStdString()) / "videos";
  EXPECT_EQ(fs::path(recording_file).parent_path(), videos);
  ASSERT_TRUE(fs::exists(recording_file + ".enregistrement"));

  // The next demo: its start-up recovers the recording under its name.
  Boxes boxes;
  Demo demo;
  Station station(demo.station_options());
  const std::string avi = (videos / "demo.avi").string();
  bool told = false;
  for (const auto& t : boxes.texts)
    told = told || (t.find("cup\u00e9r\u00e9") != std::string::npos && t.find(avi) != std::string::npos);
  EXPECT_TRUE(told) << (boxes.texts.empty() ? std::string("no box") : boxes.texts.back());
  const auto info = avi::read_avi_file(avi);
  ASSERT_TRUE(info.info.has_value()) << info.error;
  EXPECT_TRUE(info.info->finalised);
  EXPECT_GT(info.info->video_chunks(), 10u);
  EXPECT_FALSE(fs::exists(recording_file + ".enregistrement"));
  station.main_form().close();
}

TEST(DemoFolder, RefusesAFolderItDidNotMakeForItsUser) {
  struct Case {
    const char* name;
    std::function<void(const fs::path& folder, const fs::path& elsewhere)> plant;
  };
  const Case cases[] = {
      {"a link to another folder", [](const fs::path& f, const fs::path& e) { fs::create_directory_symlink(e, f); }},
      {"another user's folder",
       [](const fs::path& f, const fs::path&) {
         fs::create_directory(f);
         ASSERT_EQ(::chown(f.c_str(), 65534, 65534), 0);
       }},
      {"a file", [](const fs::path& f, const fs::path&) { std::ofstream(f) << "x"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RuntimeFolder runtime;
    const fs::path elsewhere = runtime.path / "elsewhere";
    fs::create_directory(elsewhere);
    const fs::path folder = Demo::default_folder().toStdString();
    c.plant(folder, elsewhere);
    EXPECT_THROW(Demo(), std::runtime_error);
    EXPECT_TRUE(fs::is_empty(elsewhere));
  }
  // Made private when it is not there.
  RuntimeFolder runtime;
  { Demo demo; }
  struct stat st {};
  ASSERT_EQ(::lstat(Demo::default_folder().toStdString().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace wellvue
