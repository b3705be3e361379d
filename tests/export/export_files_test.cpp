// The recording's files found from any of their names, and the output that appears under its
// name whole or not at all.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include "../util/temp_dir.h"
#include "export/export_error.h"
#include "export/export_output.h"
#include "export/recording_inputs.h"

namespace wellvue::exporting {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

std::string read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> names_in(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

TEST(ExportFiles, TheRecordingIsFoundFromItsVideoItsSubtitlesOrItsBaseName) {
  test::TempDir dir;
  const fs::path base = dir.path() / "P12 2026-12-08 21-50-03";
  for (const char* ext : {".avi", ".srt", ".obs.srt"}) write(base.string() + ext, "x");
  for (const std::string& name :
       {base.string(), base.string() + ".avi", base.string() + ".srt", base.string() + ".obs.srt"}) {
    const RecordingInputs in = resolve_recording(name);
    EXPECT_EQ(in.avi, base.string() + ".avi") << name;
    EXPECT_EQ(in.srt, base.string() + ".srt") << name;
    EXPECT_EQ(in.observations, base.string() + ".obs.srt") << name;
    EXPECT_TRUE(in.depth_record.empty()) << name;
  }
  fs::remove(base.string() + ".srt");
  EXPECT_THROW(resolve_recording(base.string()), ExportError);  // no depth to put in the file
  EXPECT_THROW(resolve_recording((dir.path() / "absent").string()), ExportError);
}

TEST(ExportFiles, TheOutputAppearsOnlyWholeAndNeverOverAFileUnlessReplacing) {
  test::TempDir dir;
  const fs::path out = dir.path() / "P12.mkv";
  {  // abandoned (failed or cancelled export): nothing left at all
    PendingOutput pending(out, false);
    ASSERT_EQ(::write(pending.fd(), "half", 4), 4);
    EXPECT_FALSE(fs::exists(out));
  }
  EXPECT_TRUE(names_in(dir.path()).empty());
  {
    PendingOutput pending(out, false);
    ASSERT_EQ(::write(pending.fd(), "whole", 5), 5);
    pending.publish();
  }
  EXPECT_EQ(read(out), "whole");
  EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"P12.mkv"}));
  EXPECT_THROW(PendingOutput(out, false), ExportError);
  {  // a file that appears under the name during the export is kept
    const fs::path other = dir.path() / "P13.mkv";
    PendingOutput pending(other, false);
    write(other, "theirs");
    EXPECT_THROW(pending.publish(), ExportError);
    EXPECT_EQ(read(other), "theirs");
  }
  {
    PendingOutput pending(out, true);
    ASSERT_EQ(::write(pending.fd(), "new", 3), 3);
    pending.publish();
  }
  EXPECT_EQ(read(out), "new");
  EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"P12.mkv", "P13.mkv"}));
  // A planted link under the temporary name is not followed.
  const fs::path target = dir.path() / "target";
  write(target, "safe");
  fs::create_symlink(target, dir.path() / (".P14.mkv." + std::to_string(::getpid()) + ".part"));
  EXPECT_THROW(PendingOutput(dir.path() / "P14.mkv", false), ExportError);
  EXPECT_EQ(read(target), "safe");
}

}  // namespace
}  // namespace wellvue::exporting
