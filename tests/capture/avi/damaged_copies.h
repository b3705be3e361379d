// The robustness round of the repair tests: damaged copies of a crashed recording repaired one
// after the other, each repair either sound or leaving the copy exactly as it was.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "avi_fixtures.h"
#include "capture/avi/avi_info.h"
#include "capture/avi/avi_repair.h"

namespace wellvue::avi::test {

// Writes 300 copies of `crashed` to `file`, each with 1 to 3 random bytes changed or, one time in
// `cut_one_in`, cut there, and repairs each. A copy not repaired must be left byte for byte; a
// repaired one must read back finalised with the frames the repair reports, and passes
// `check_repaired` too. Returns how many were repaired.
inline int repair_damaged_copies(const std::filesystem::path& file, const Bytes& crashed, unsigned seed,
                                 unsigned cut_one_in,
                                 const std::function<void(const AviInfo&, int round)>& check_repaired) {
  std::mt19937 rng(seed);
  int repaired = 0;
  for (int round = 0; round < 300; ++round) {
    Bytes b = crashed;
    for (int e = 0; e < 1 + static_cast<int>(rng() % 3); ++e) {
      const std::size_t at = rng() % b.size();
      if (rng() % cut_one_in == 0) b.resize(std::max<std::size_t>(at, 1));
      else b[at] = static_cast<std::uint8_t>(rng());
    }
    write_bytes(file, b);
    const RepairResult r = repair_avi(file.string());
    EXPECT_FALSE(r.message.empty()) << round;
    if (r.status != RepairStatus::Repaired) {
      if (read_bytes(file) != b) {
        ADD_FAILURE() << "round " << round << " changed a file it did not repair: " << r.message;
        return repaired;
      }
      continue;
    }
    ++repaired;
    const AviReadResult after = read_avi_file(file.string());
    if (!after.info) {
      ADD_FAILURE() << "round " << round << ": repaired file unreadable: " << after.error;
      return repaired;
    }
    EXPECT_TRUE(after.info->finalised) << round;
    EXPECT_EQ(after.info->video_chunks(), r.frames) << round;
    check_repaired(*after.info, round);
  }
  return repaired;
}

}  // namespace wellvue::avi::test
