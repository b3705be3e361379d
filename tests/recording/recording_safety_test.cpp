// The recording against a hostile disk: a full or read-only medium, a folder that is not there,
// names the file system refuses, and files or links planted by another user of the folder.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "../util/temp_dir.h"
#include "depth_check.h"
#include "recording/depth_record.h"
#include "recording/disk_reserve.h"
#include "recording/recording_texts.h"
#include "recording/srt_journal.h"
#include "recording/unfinished_recordings.h"
#include "recording_rig.h"
#include "small_disk.h"
#include "util/cp1252.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;
using test::Rig;
using test::TempDir;

using test::SmallDisk;

// Fills the file system of `folder` until at most `leave` bytes are free; the filler is kept.
void fill_disk(const fs::path& folder, std::uint64_t leave) {
  std::ofstream out(folder / "filler", std::ios::binary);
  const std::string block(1 << 16, 'f');
  for (;;) {
    std::error_code ec;
    const auto space = fs::space(folder, ec);
    if (ec || space.available <= leave) break;
    const auto n = std::min<std::uint64_t>(block.size(), space.available - leave);
    out.write(block.data(), static_cast<std::streamsize>(n));
    out.flush();
    if (!out) break;
  }
}

std::string entry(int n) {
  return std::to_string(n) + "\r\n00:00:0" + std::to_string(n % 10) + ",000 --> 00:00:0" + std::to_string(n % 10) +
         ",500\r\n" + std::string(200, 'd') + "\r\n\r\n";
}

void journal_entry(SrtJournal& j, int n) {
  j.line(std::to_string(n));
  j.line("00:00:0" + std::to_string(n % 10) + ",000 --> 00:00:0" + std::to_string(n % 10) + ",500");
  j.line(std::string(200, 'd'));
  j.line("");
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(SrtJournal, AFullDiskLeavesWholeEntriesAndTheJournalGoesOnOnceThereIsRoom) {
  TempDir dir;
  SmallDisk disk(dir.path() / "disk", "64k");
  ASSERT_TRUE(disk.mounted) << std::strerror(errno);
  const fs::path file = disk.path / "a.srt";
  SrtJournal j;
  ASSERT_TRUE(j.open(file.string()));
  journal_entry(j, 1);
  fill_disk(disk.path, 0);
  // The journal's own block fills: one of these entries is cut short by the kernel.
  int written = 1;
  for (int n = 2; n < 40 && !j.failed(); ++n) {
    journal_entry(j, n);
    if (!j.failed()) written = n;
  }
  ASSERT_TRUE(j.failed());
  std::string expected;
  for (int n = 1; n <= written; ++n) expected += entry(n);
  EXPECT_EQ(test::read_bytes(file), expected);

  fs::remove(disk.path / "filler");
  journal_entry(j, 50);
  j.close();
  EXPECT_EQ(test::read_bytes(file), expected + entry(50));
}

TEST(PlantedFiles, FilesOfTheWorkflowNeverFollowALink) {
  TempDir dir;
  const fs::path victim = dir.path() / "victim.txt";
  std::ofstream(victim) << "operator's file";
  const fs::path link = dir.path() / "puits.srt";
  fs::create_symlink(victim, link);
  SrtJournal j;
  EXPECT_FALSE(j.open(link.string()));
  EXPECT_FALSE(SrtJournal::can_open(link.string()));
  fs::remove(link);
  fs::create_symlink(victim, dir.path() / DiskReserve::kFileName);
  DiskReserve reserve;
  EXPECT_FALSE(reserve.create(dir.path().string()));
  EXPECT_EQ(test::read_bytes(victim), "operator's file");
  // A reserve a killed station left behind is taken over, and removed at the release.
  fs::remove(dir.path() / DiskReserve::kFileName);
  std::ofstream(dir.path() / DiskReserve::kFileName) << "left";
  ASSERT_TRUE(reserve.create(dir.path().string(), 1 << 20));
  EXPECT_EQ(fs::file_size(dir.path() / DiskReserve::kFileName), 1u << 20);
  reserve.release();
  EXPECT_FALSE(fs::exists(dir.path() / DiskReserve::kFileName));
}

// Recovery acts only on this user's notes naming plain files beside them, and never replaces one.
TEST(PlantedFiles, StartUpRecoveryMovesNothingOverAFile) {
  struct Case {
    const char* name;
    // Plants the note and its files in `folder`; `victim` is a file of the operator elsewhere.
    std::function<void(const fs::path& folder, const fs::path& victim)> plant;
    RecoveredRecording::Outcome outcome;
    const char* ends_at;  // where the recording is afterwards (file name in the folder), "" none
  };
  const auto temp = [](const fs::path& f) { return (f / "x.avi").string(); };
  const auto note = [&](const fs::path& f, const std::string& avi, const std::string& srt) {
    ASSERT_TRUE(write_recording_note({temp(f), avi, srt}));
  };
  const Case cases[] = {
      {"note naming a file in another folder",
       [&](const fs::path& f, const fs::path& v) {
         std::ofstream(temp(f)) << "not a video";
         note(f, v.string(), (f / "x.srt").string());
       },
       RecoveredRecording::Outcome::Refused, "x.avi"},
      {"note naming a path that climbs out",
       [&](const fs::path& f, const fs::path& v) {
         std::ofstream(temp(f)) << "not a video";
         note(f, (f / ".." / v.filename()).string(), "");
       },
       RecoveredRecording::Outcome::Refused, "x.avi"},
      {"final name is a link to the victim",
       [&](const fs::path& f, const fs::path& v) {
         std::ofstream(temp(f)) << "not a video";
         fs::create_symlink(v, f / "puits.avi");
         note(f, (f / "puits.avi").string(), "");
       },
       RecoveredRecording::Outcome::Refused, "x.avi"},
      {"subtitle name is a link to the victim",
       [&](const fs::path& f, const fs::path& v) {
         std::ofstream(temp(f)) << "not a video";
         fs::create_symlink(v, f / "puits.srt");
         note(f, (f / "puits.avi").string(), (f / "puits.srt").string());
       },
       RecoveredRecording::Outcome::Refused, "x.avi"},
      {"recording file is a link to the victim",
       [&](const fs::path& f, const fs::path& v) {
         fs::create_symlink(v, temp(f));
         note(f, (f / "puits.avi").string(), "");
       },
       RecoveredRecording::Outcome::Refused, ""},
      {"recording file of another user",
       [&](const fs::path& f, const fs::path&) {
         std::ofstream(temp(f)) << "not a video";
         ASSERT_EQ(::chown(temp(f).c_str(), 65534, 65534), 0);
         note(f, (f / "puits.avi").string(), "");
       },
       RecoveredRecording::Outcome::Refused, "x.avi"},
      {"final name taken by the operator's file: the recording goes beside it",
       [&](const fs::path& f, const fs::path&) {
         std::ofstream(temp(f)) << "not a video";
         std::ofstream(f / "puits.avi") << "operator's recording";
         note(f, (f / "puits.avi").string(), "");
       },
       RecoveredRecording::Outcome::KeptUnrepaired, "puits-1.avi"},
      {"no frame at all: set aside, not deleted",
       [&](const fs::path& f, const fs::path&) {
         const std::string cmd =
             "gst-launch-1.0 -q videotestsrc num-buffers=3 ! jpegenc ! avimux ! filesink location=" + temp(f) +
             " > /dev/null 2>&1";
         ASSERT_EQ(std::system(cmd.c_str()), 0);
         // Cut after the headers: what a recording that never got a picture leaves.
         std::string bytes = test::read_bytes(temp(f));
         const auto movi = bytes.find("movi");
         ASSERT_NE(movi, std::string::npos);
         fs::resize_file(temp(f), movi + 4);
         note(f, (f / "puits.avi").string(), "");
       },
       RecoveredRecording::Outcome::Empty, "x.avi.irrecuperable"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const fs::path folder = dir.path() / "videos", elsewhere = dir.path() / "elsewhere";
    fs::create_directories(folder);
    fs::create_directories(elsewhere);
    const fs::path victim = elsewhere / "victim.txt";
    std::ofstream(victim) << "operator's file";
    c.plant(folder, victim);
    if (::testing::Test::HasFatalFailure()) return;
    const std::string before = test::read_bytes(temp(folder));

    const auto r = recover_unfinished_recordings(folder.string());
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].outcome, c.outcome);
    EXPECT_EQ(test::read_bytes(victim), "operator's file");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(victim)));
    if (fs::exists(folder / "puits.avi") && !fs::is_symlink(folder / "puits.avi") &&
        c.outcome != RecoveredRecording::Outcome::Refused) {
      EXPECT_EQ(test::read_bytes(folder / "puits.avi"), "operator's recording");
    }
    if (*c.ends_at) {
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder / c.ends_at)));
      EXPECT_NE(recovery_message(r).find(c.ends_at), std::string::npos) << recovery_message(r);
    }
    if (c.outcome == RecoveredRecording::Outcome::Refused) {
      // Left as found, note included, and said so.
      EXPECT_EQ(test::read_bytes(temp(folder)), before);
      EXPECT_TRUE(fs::exists(temp(folder) + kRecordingNoteSuffix));
      EXPECT_NE(recovery_message(r).find("ignor\xE9"), std::string::npos);
    } else {
      EXPECT_FALSE(fs::exists(temp(folder) + kRecordingNoteSuffix));
    }
  }
}

// Every way a start can be refused is refused before the engine records or anything is written,
// with the reason in French; a link planted under a final name is left as it was.
TEST(RecordingStart, RefusedWithItsReasonBeforeAnythingIsWritten) {
  TempDir dir;
  Rig rig(dir.path() / "videos");
  const fs::path victim = dir.path() / "victim.txt";
  struct Case {
    const char* name;
    std::function<fs::path()> folder;  // the video folder, made ready
    std::string prefix;
    const char* said;  // part of the message
    bool offer_other_folder;
  };
  const std::string long_prefix(300, 'p');
  SmallDisk read_only(dir.path() / "ro", "1m", true);
  SmallDisk small(dir.path() / "small", "20m");
  ASSERT_TRUE(read_only.mounted && small.mounted);
  const Case cases[] = {
      {"folder missing", [&] { return dir.path() / "gone"; }, "puits", "introuvable", true},
      {"folder is a file",
       [&] {
         std::ofstream(dir.path() / "file") << "x";
         return dir.path() / "file";
       },
       "puits", "n'est pas un r\xE9pertoire", true},
      {"read-only medium", [&] { return read_only.path; }, "puits",
       "Impossible d'\xE9"
       "crire",
       true},
      {"name too long for the file system", [&] { return dir.path() / "a"; }, long_prefix, "trop long", false},
      {"prefix leading into another folder", [&] { return dir.path() / "b"; }, "../puits", "refus\xE9", false},
      {"video name is a link",
       [&] {
         fs::create_directories(dir.path() / "c");
         fs::create_symlink(victim, dir.path() / "c" / "puits.avi");
         return dir.path() / "c";
       },
       "puits", "est un lien", false},
      {"subtitle name is a link",
       [&] {
         fs::create_directories(dir.path() / "d");
         fs::create_symlink(victim, dir.path() / "d" / "puits.srt");
         return dir.path() / "d";
       },
       "puits", "est un lien", false},
      {"subtitle name is a folder",
       [&] {
         fs::create_directories(dir.path() / "e" / "puits.srt");
         return dir.path() / "e";
       },
       "puits", "pas un fichier ordinaire", false},
      // 20 MB hold a few seconds at the test camera's rate.
      {"less than a minute of room", [&] { return small.path; }, "puits", "Place libre insuffisante", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(victim) << "operator's file";
    const fs::path folder = c.folder();
    if (c.name == std::string("name too long for the file system") ||
        c.name == std::string("prefix leading into another folder"))
      fs::create_directories(folder);
    std::vector<fs::path> before;
    for (const auto& e : fs::recursive_directory_iterator(dir.path())) before.push_back(e.path());
    rig.prompter.clear();
    rig.host->folder = folder.string();
    rig.host->prefix_text = c.prefix;
    const int choices = rig.host->choices;
    if (c.offer_other_folder) rig.prompter.add_answer(true);  // yes, another folder; the chooser is cancelled

    EXPECT_FALSE(rig.workflow->btStartClick());
    EXPECT_FALSE(rig.engine->Capturing());
    EXPECT_FALSE(rig.workflow->recording());
    ASSERT_FALSE(rig.prompter.texts().empty());
    EXPECT_TRUE(contains(rig.prompter.texts()[0], c.said)) << rig.prompter.texts()[0];
    EXPECT_EQ(rig.host->choices, choices + (c.offer_other_folder ? 1 : 0));
    EXPECT_EQ(test::read_bytes(victim), "operator's file");
    std::vector<fs::path> after;
    for (const auto& e : fs::recursive_directory_iterator(dir.path())) after.push_back(e.path());
    EXPECT_EQ(after, before);
  }

  // The folder chooser offered for a missing folder: the recording goes to the folder chosen, under
  // an absolute name, and nothing is written elsewhere.
  const fs::path chosen = dir.path() / "chosen";
  fs::create_directories(chosen);
  rig.prompter.clear();
  rig.host->folder = (dir.path() / "gone").string();
  rig.host->prefix_text = "puits";
  rig.host->chooser_gives = chosen.string();
  rig.prompter.add_answer(true);   // another folder
  rig.prompter.add_answer(false);  // no zeroing
  rig.prompter.add_answer(true);   // start
  ASSERT_TRUE(rig.workflow->btStartClick());
  EXPECT_EQ(rig.workflow->avi_name(), utf8_to_cp1252((chosen / "puits.avi").string()));
  EXPECT_EQ(fs::path(rig.engine->RecordingFile()).parent_path(), chosen);
  EXPECT_TRUE(fs::exists(chosen / DiskReserve::kFileName));
  ASSERT_TRUE(rig.record_entries(2));
  rig.workflow->btStopClick();
  EXPECT_FALSE(fs::exists(chosen / DiskReserve::kFileName));
  EXPECT_TRUE(test::play_avi((chosen / "puits.avi").string()).ok);
  EXPECT_FALSE(test::parse_srt((chosen / "puits.srt").string()).empty());
  EXPECT_FALSE(fs::exists(dir.path() / "gone"));
}

// The video fills the disk: the engine ends the recording; the workflow closes the subtitles at the
// video's real end, saves them, says why and where, and leaves nothing recovery cannot find.
TEST(DiskFull, TheRecordingEndsSafelyWithItsSubtitlesAtTheVideosEnd) {
  TempDir dir;
  SmallDisk disk(dir.path() / "disk", "300m");
  ASSERT_TRUE(disk.mounted);
  test::RigOptions options;
  options.compressor = "DV Video Encoder";
  Rig rig(disk.path, std::move(options));
  ASSERT_TRUE(rig.start(false));
  // 300 MB hold under five minutes of DV: said once, without a box.
  ASSERT_TRUE(rig.run_until([&] { return !rig.host->warnings.empty(); }, 10000));
  EXPECT_TRUE(contains(rig.host->warnings[0], "moins de 5 min"));
  EXPECT_TRUE(fs::exists(disk.path / DiskReserve::kFileName));
  ASSERT_TRUE(rig.record_entries(3));
  const std::size_t boxes = rig.prompter.texts().size();

  fill_disk(disk.path, 12u << 20);
  ASSERT_TRUE(rig.run_until([&] { return !rig.workflow->recording(); }, 30000))
      << "the engine did not end the recording when the disk filled";
  EXPECT_FALSE(rig.engine->Capturing());
  EXPECT_EQ(rig.host->warnings.size(), 1u);
  EXPECT_EQ(rig.host->idles, 1);
  EXPECT_EQ(rig.view.label5, kStoppedText);
  EXPECT_FALSE(fs::exists(disk.path / DiskReserve::kFileName));
  ASSERT_EQ(rig.prompter.texts().size(), boxes + 1);
  const std::string message = rig.prompter.texts().back();
  EXPECT_EQ(message.rfind(" enregistrement arr\xEAt\xE9 : " + rig.engine->LastAbortReason(), 0), 0u) << message;
  const std::string avi = (disk.path / "puits.avi").string(), srt = (disk.path / "puits.srt").string();
  EXPECT_TRUE(contains(message, utf8_to_cp1252(srt))) << message;

  // The next start-up finds whatever the engine could not close, and the video then plays.
  const std::string left = rig.engine->RecordingFile();
  ASSERT_TRUE(fs::exists(left)) << left;
  EXPECT_TRUE(contains(message, utf8_to_cp1252(left))) << message;
  const std::string suffix = kRecordingNoteSuffix;
  for (const auto& e : fs::directory_iterator(disk.path)) {
    const std::string name = e.path().string();
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      EXPECT_TRUE(fs::exists(name.substr(0, name.size() - suffix.size()))) << name;
    }
  }
  recover_unfinished_recordings(disk.path.string());
  const test::PlayedVideo video = test::play_avi(left);
  ASSERT_TRUE(video.ok) << video.error;

  std::string error;
  const auto subs = test::parse_srt(srt, &error);
  ASSERT_TRUE(error.empty()) << error;
  ASSERT_GE(subs.size(), 3u);
  EXPECT_NEAR(subs[subs.size() - 2].end_s, video.duration_s, 0.1);
  EXPECT_NEAR(subs.back().start_s, video.duration_s, 0.1);
  const std::string bytes = test::read_bytes(srt);
  EXPECT_EQ(bytes.substr(bytes.size() - 4), "\r\n\r\n");
  // The depth record written whole from memory at the end, whatever its journal lost meanwhile.
  const DepthRecord depth = read_depth_record((disk.path / "puits.depth.csv").string());
  EXPECT_EQ(test::depth_record_problem(depth, subs, /*closed=*/true), "");
  EXPECT_NEAR(static_cast<double>(depth.rows.back().video_ms), video.duration_s * 1000.0, 100);
  fs::remove(disk.path / "filler");
}

// The folder of the subtitles and the depth record fills while the video goes on elsewhere: the
// journals keep their whole entries and rows, the operator is told, and the stop writes both whole.
TEST(DiskFull, TheJournalsKeepWholeRowsAndTheStopWritesThemWhole) {
  TempDir dir;
  SmallDisk disk(dir.path() / "disk", "300m");
  ASSERT_TRUE(disk.mounted);
  Rig rig(disk.path);
  rig.engine->SetTempCaptureFileName((dir.path() / "captemp.avi").string());
  ASSERT_TRUE(rig.start(false)) << ::testing::PrintToString(rig.prompter.texts());
  ASSERT_TRUE(rig.record_entries(4));
  const std::string depth = (disk.path / "puits.depth.csv").string();
  const std::size_t before = read_depth_record(depth).rows.size();

  fill_disk(disk.path, 0);
  ASSERT_TRUE(rig.run_until([&] {
    return std::find(rig.host->warnings.begin(), rig.host->warnings.end(), kDepthJournalWarning) !=
           rig.host->warnings.end();
  })) << "the full disk under the depth record was not told";
  ASSERT_TRUE(rig.workflow->recording());
  // What the journal holds is whole rows, none lost of those written before the disk filled.
  const DepthRecord journaled = read_depth_record(depth);
  EXPECT_GE(journaled.rows.size(), before);
  EXPECT_EQ(test::read_bytes(depth).back(), '\n');

  fs::remove(disk.path / "filler");
  rig.workflow->btStopClick();
  ASSERT_FALSE(rig.workflow->recording());
  const auto subs = test::parse_srt((disk.path / "puits.srt").string());
  const DepthRecord whole = read_depth_record(depth);
  EXPECT_EQ(test::depth_record_problem(whole, subs, /*closed=*/true), "");
  EXPECT_GT(whole.rows.size(), journaled.rows.size());
}

}  // namespace
}  // namespace wellvue
