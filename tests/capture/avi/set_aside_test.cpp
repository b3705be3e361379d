// Setting aside a recording with nothing playable: renamed beside itself, never over a file.
#include "capture/avi/set_aside.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "avi_fixtures.h"

namespace wellvue::avi {
namespace {

namespace fs = std::filesystem;

std::string content(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct AsideCase {
  const char* name;
  bool file_there;
  std::vector<std::string> taken;  // names beside it already in use, with their content
  std::string expected;            // the name it goes to, "" when it cannot go
};

TEST(SetAside, RenamesBesideItselfWithoutReplacingAnything) {
  const std::vector<AsideCase> cases = {
      {"free name", true, {}, "rec.avi.irrecuperable"},
      {"name taken", true, {"rec.avi.irrecuperable"}, "rec.avi.irrecuperable.1"},
      {"two names taken, one a dangling link",
       true,
       {"rec.avi.irrecuperable", "@rec.avi.irrecuperable.1"},
       "rec.avi.irrecuperable.2"},
      {"missing file", false, {}, ""},
  };
  for (const AsideCase& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir = test::make_temp_dir("aside");
    const fs::path file = dir / "rec.avi";
    if (c.file_there) std::ofstream(file) << "garbage";
    for (const std::string& t : c.taken) {
      if (t[0] == '@') ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / t.substr(1)).c_str()), 0);
      else std::ofstream(dir / t) << "earlier " << t;
    }
    std::error_code ec;
    const std::string got = set_aside(file.string(), ec);
    if (c.expected.empty()) {
      EXPECT_EQ(got, "");
      EXPECT_TRUE(ec);
    } else {
      EXPECT_FALSE(ec) << ec.message();
      EXPECT_EQ(got, (dir / c.expected).string());
      EXPECT_EQ(content(dir / c.expected), "garbage");
      EXPECT_FALSE(fs::exists(fs::symlink_status(file)));
    }
    for (const std::string& t : c.taken)
      if (t[0] == '@') EXPECT_TRUE(fs::is_symlink(dir / t.substr(1)));
      else EXPECT_EQ(content(dir / t), "earlier " + t);
    fs::remove_all(dir);
  }
}

}  // namespace
}  // namespace wellvue::avi
