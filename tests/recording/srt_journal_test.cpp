// The subtitle file journaled entry by entry, and the notes of unfinished recordings.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../util/temp_dir.h"
#include "recording/srt_journal.h"
#include "recording/unfinished_recordings.h"
#include "recording_rig.h"

namespace wellvue {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(SrtJournal, WritesCompleteEntriesOnly) {
  TempDir dir;
  const std::string file = (dir.path() / "a.srt").string();
  SrtJournal j;
  ASSERT_TRUE(j.open(file));
  struct Step {
    const char* line;
    const char* on_disk;  // after the line
  };
  const Step steps[] = {
      {"1", ""},
      {"00:00:00,000 --> 00:00:01,000", ""},
      {"1.00m", ""},
      {"", "1\r\n00:00:00,000 --> 00:00:01,000\r\n1.00m\r\n\r\n"},
      {"2", "1\r\n00:00:00,000 --> 00:00:01,000\r\n1.00m\r\n\r\n"},
  };
  for (const auto& s : steps) {
    j.line(s.line);
    EXPECT_EQ(test::read_bytes(file), s.on_disk) << "after '" << s.line << "'";
  }
  j.cleared();
  EXPECT_EQ(test::read_bytes(file), "");
  j.line("3");
  j.close();  // an unfinished entry is kept at the close
  EXPECT_EQ(test::read_bytes(file), "3\r\n");
  EXPECT_FALSE(j.failed());
}

TEST(SrtJournal, AnOpenThatCannotCreateJournalsNothing) {
  SrtJournal j;
  EXPECT_FALSE(j.open("/nonexistent-folder/x.srt"));
  j.line("");
  EXPECT_FALSE(j.is_open());
}

TEST(SrtJournal, EntriesSurviveAKilledProcess) {
  TempDir dir;
  const std::string file = (dir.path() / "k.srt").string();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    SrtJournal j;
    if (!j.open(file)) _exit(2);
    for (int i = 1; i <= 3; ++i) {
      j.line(std::to_string(i));
      j.line("00:00:00,000 --> 00:00:01,000");
      j.line("d");
      j.line("");
    }
    j.line("4");  // an entry under way when the process dies
    const char c = 'x';
    if (write(ready[1], &c, 1) != 1) _exit(3);
    for (;;) pause();
  }
  close(ready[1]);
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  close(ready[0]);
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  const auto subs = test::parse_srt(file);
  ASSERT_EQ(subs.size(), 3u);
  EXPECT_EQ(subs[2].text, "d");
}

TEST(UnfinishedRecordings, NotesAndWhatTheyLeadTo) {
  TempDir dir;
  const std::string temp = (dir.path() / "captemp.avi").string();
  const std::string avi = (dir.path() / "puits.avi").string();
  const std::string srt = (dir.path() / "puits.srt").string();

  // A note whose file is gone: the recording was finished; the note goes silently.
  ASSERT_TRUE(write_recording_note({temp, avi, srt}));
  EXPECT_TRUE(fs::exists(temp + kRecordingNoteSuffix));
  auto r = recover_unfinished_recordings(dir.path().string());
  EXPECT_TRUE(r.empty());
  EXPECT_FALSE(fs::exists(temp + kRecordingNoteSuffix));
  EXPECT_EQ(recovery_message(r), "");

  // A file that is no AVI at all: kept under its name, unrepaired, and said so.
  {
    std::ofstream(temp, std::ios::binary) << "not a video";
    std::ofstream(srt, std::ios::binary) << "1\r\n";
  }
  ASSERT_TRUE(write_recording_note({temp, avi, srt}));
  r = recover_unfinished_recordings(dir.path().string());
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].outcome, RecoveredRecording::Outcome::KeptUnrepaired);
  EXPECT_EQ(r[0].path, avi);
  EXPECT_EQ(r[0].srt_name, srt);
  EXPECT_TRUE(fs::exists(avi));
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_FALSE(fs::exists(temp + kRecordingNoteSuffix));
  const std::string message = recovery_message(r);
  EXPECT_NE(message.find(avi), std::string::npos);
  EXPECT_NE(message.find("non r\xE9par\xE9"), std::string::npos);
  EXPECT_NE(message.find(srt), std::string::npos);

  // A name in another folder (here one that is gone): the note is not acted on, the file stays
  // where it is and the operator is told.
  std::ofstream(temp, std::ios::binary) << "not a video either";
  const std::string lost = (dir.path() / "gone" / "p2.avi").string();
  ASSERT_TRUE(write_recording_note({temp, lost, (dir.path() / "gone" / "p2.srt").string()}));
  r = recover_unfinished_recordings(dir.path().string());
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].outcome, RecoveredRecording::Outcome::Refused);
  EXPECT_EQ(r[0].path, temp + kRecordingNoteSuffix);
  EXPECT_EQ(test::read_bytes(temp), "not a video either");
  EXPECT_NE(recovery_message(r).find("p2.avi"), std::string::npos);
}

TEST(UnfinishedRecordings, FoldersRecordedToAreRememberedLatestFirst) {
  TempDir dir;
  const std::string list = recording_folders_file((dir.path() / "conf" / "wellvue.ini").string());
  EXPECT_EQ(list, (dir.path() / "conf" / "wellvue.dossiers").string());
  EXPECT_TRUE(remembered_recording_folders(list).empty());
  struct Step {
    std::string folder;
    std::vector<std::string> then;
  };
  const Step steps[] = {{"/v/a", {"/v/a"}},
                        {"/v/b", {"/v/b", "/v/a"}},
                        {"/v/a", {"/v/a", "/v/b"}},  // once, moved first
                        {"/v/b", {"/v/b", "/v/a"}}};
  for (const Step& s : steps) {
    ASSERT_TRUE(remember_recording_folder(list, s.folder));  // the folder of the list is created
    EXPECT_EQ(remembered_recording_folders(list), s.then) << s.folder;
  }
  for (std::size_t i = 0; i < kRememberedFolders + 4; ++i) remember_recording_folder(list, "/w/" + std::to_string(i));
  const auto kept = remembered_recording_folders(list);
  ASSERT_EQ(kept.size(), kRememberedFolders);
  EXPECT_EQ(kept.front(), "/w/" + std::to_string(kRememberedFolders + 3));
  EXPECT_FALSE(remember_recording_folder("", "/v/a"));
  EXPECT_FALSE(remember_recording_folder((dir.path() / "conf" / "wellvue.dossiers" / "x").string(), "/v/a"));
}

// After a crash the video folder may have been changed: the folders recorded to before are
// searched too, each once, and one that is gone is no trouble.
TEST(UnfinishedRecordings, FoundInEveryFolderGivenOnce) {
  TempDir dir;
  const fs::path old_folder = dir.path() / "old", current = dir.path() / "current";
  fs::create_directories(old_folder);
  fs::create_directories(current);
  const std::string temp = (old_folder / "captemp.avi").string();
  std::ofstream(temp, std::ios::binary) << "not a video";
  ASSERT_TRUE(write_recording_note({temp, (old_folder / "puits.avi").string(), (old_folder / "puits.srt").string()}));
  const auto r = recover_unfinished_recordings(std::vector<std::string>{
      current.string(), old_folder.string(), (dir.path() / "old" / ".").string(), (dir.path() / "gone").string()});
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].path, (old_folder / "puits.avi").string());
  EXPECT_FALSE(fs::exists(temp + kRecordingNoteSuffix));
}

}  // namespace
}  // namespace wellvue
