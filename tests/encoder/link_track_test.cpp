#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "link_rig.h"
#include "util/conversion_error.h"
#include "util/decimal_separator.h"

namespace wellvue::test {
namespace {

const std::string kNbsp(1, '\xA0');
const std::string kPadding = kNbsp + std::string(38, ' ');

TEST(TimeCode, CountsFromTheOriginOnTheMonotonicClock) {
  struct Case {
    double after_ms;
    const char* code;
  };
  const Case cases[] = {{0, "00:00:00,000"},
                        {3723004, "01:02:03,004"},
                        {59999, "00:00:59,999"},
                        // Past a day (and past midnight) the count goes on.
                        {25.0 * 3600000 + 1, "25:00:00,001"},
                        {100.0 * 3600000, "100:00:00,000"}};
  LinkRig rig;
  rig.clock.set(86000000);  // close to midnight; the origin is taken at the first call
  EXPECT_EQ(rig.link.time_code_now(), "00:00:00,000");
  rig.link.state().entry_number = 0;
  for (const auto& c : cases) {
    rig.clock.set(86000000 + c.after_ms);
    EXPECT_EQ(rig.link.time_code_now(), c.code);
  }
}

// The track of a silent board and then one line, through the real port.
TEST(Track, TitleEntriesWhileSilentThenDepthEntry) {
  set_decimal_separator(',');
  LinkRig rig;
  ASSERT_TRUE(rig.open());
  rig.link.main_fields().Edit_nom_forage = "P12";
  rig.link.state().entry_number = -1;
  rig.link.state().poll_count = 0;
  rig.clock.set(10000);
  rig.link.RadioGroup1Click(0);
  // Each poll moves the clock 100 ms, so every entry's times are known.
  ASSERT_TRUE(rig.run_until([&] {
    rig.clock.advance(100);
    return rig.link.state().poll_count >= 21;
  }));
  rig.send("240|\r\n");
  const auto t = rig.memo(Memo::Memo5);
  ASSERT_GE(t.size(), 16u);
  const std::vector<std::string> titles = {
      "1", "00:00:00,000 --> 00:00:01,000", "P12  06/12/2026 17h19:33", kPadding, kPadding, "",
      "2", "00:00:01,000 --> 00:00:02,000", "P12  06/12/2026 17h19:33", kPadding, kPadding, ""};
  EXPECT_EQ(std::vector<std::string>(t.begin(), t.begin() + 12), titles);
  EXPECT_EQ(t[12], "3");
  EXPECT_EQ(t[13].substr(0, 17), "00:00:02,000 --> ");
  EXPECT_EQ(t[14], "P12" + std::string(35, ' ') + "4,04m      ---");
  EXPECT_EQ(t[15], "");
  EXPECT_EQ(rig.link.state().line_count, 1);
}

// The listener may move a pinned origin just before a time code is taken; that time code uses it.
TEST(TimeCode, ListenerBringsThePinnedOriginUpToDateFirst) {
  LinkRig rig;
  rig.clock.set(10000);
  rig.link.set_track_origin(9000);
  int asked = 0;
  EncoderLink::TrackListener listener;
  listener.before_time_code = [&] {
    ++asked;
    rig.link.set_track_origin(9500);
  };
  rig.link.set_track_listener(listener);
  EXPECT_EQ(rig.link.time_code_now(), "00:00:00,500");
  rig.link.state().entry_number = 0;
  rig.clock.set(12000);
  EXPECT_EQ(rig.link.time_code_now(), "00:00:02,500");
  EXPECT_EQ(asked, 2);
}

// A line's time is when its read completed on the reader thread, however late the owner thread
// handles it; and reads go on while the owner is busy.
TEST(Track, LineTimeIsTheReadsNotTheHandlings) {
  SystemClock real;
  LinkRig rig(&real);
  ASSERT_TRUE(rig.open());
  rig.link.RadioGroup1Click(0);
  ASSERT_TRUE(rig.run_until([&] { return rig.link.track().size() >= 4; }));  // the first title entry
  const double sent_ms = real.elapsed_ms();
  // When the first line was sent, on the track's clock.
  const auto sent = static_cast<std::int64_t>(sent_ms) - rig.link.state().time_origin_ms;
  ASSERT_GT(rig.board.write_bytes("240|\r\n"), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));  // the owner is busy elsewhere
  ASSERT_GT(rig.board.write_bytes("480|\r\n"), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const double handled_from_ms = real.elapsed_ms();
  ASSERT_TRUE(rig.run_until([&] { return rig.link.state().line_count >= 2; }));
  std::vector<std::int64_t> ends;
  for (const std::string& line : rig.link.track()) {
    const auto arrow = line.find(" --> ");
    if (arrow == std::string::npos) continue;
    const std::string end = line.substr(arrow + 5);  // hh:mm:ss,mmm
    ends.push_back(std::stoll(end.substr(0, 2)) * 3600000 + std::stoll(end.substr(3, 2)) * 60000 +
                   std::stoll(end.substr(6, 2)) * 1000 + std::stoll(end.substr(9, 3)));
  }
  ASSERT_GE(ends.size(), 2u);
  // Each line within a read's time-out of its sending, both well before they were handled.
  const std::int64_t first = ends[ends.size() - 2] - sent, second = ends.back() - sent;
  EXPECT_LT(first, 150) << "handled after " << handled_from_ms - sent_ms << " ms";
  EXPECT_GE(second, 400);
  EXPECT_LT(second, 550);
  EXPECT_GT(handled_from_ms - sent_ms, 800);
}

struct PrefixCase {
  const char* name;
  std::string borehole;
  std::string edit14;
  std::string title_line;
  std::string prefix;
};

TEST(Track, PrefixOfTheTitleAndDepthLines) {
  const PrefixCase cases[] = {
      {"default_name", "forage", "38", kNbsp + "  06/12/2026 17h19:33", kNbsp + std::string(37, ' ')},
      {"blank_name", "   ", "38", kNbsp + "  06/12/2026 17h19:33", kNbsp + std::string(37, ' ')},
      {"long_name", "PUITS-NORD-42", "5", "PUITS-NORD-42  06/12/2026 17h19:33", "PUITS-NORD-42"},
      {"no_padding", "P7", "0", "P7  06/12/2026 17h19:33", "P7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LinkRig rig;
    rig.link.main_fields().Edit_nom_forage = c.borehole;
    rig.link.fields().Edit14 = c.edit14;
    rig.link.RadioGroup1Click(0);
    // Polls 0 and 10 of a silent board: the track start, then entry 1.
    for (int i = 0; i <= 10; ++i) rig.link.Timer1Timer(std::string());
    const auto t = rig.memo(Memo::Memo5);
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[2], c.title_line);
    EXPECT_EQ(rig.link.state().track_prefix, c.prefix);
  }
}

// The name takes the whole padding width; only the padding line takes its low 8 bits.
TEST(Track, PaddingWidthsOfTheNameAndOfThePaddingLine) {
  struct Case {
    const char* edit14;
    std::size_t name_width;
    std::size_t padding_blanks;
  };
  const Case cases[] = {{"38", 38, 38}, {"300", 300, 44}, {"256", 256, 0}, {"255", 255, 255}, {"-5", 2, 251}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.edit14);
    LinkRig rig;
    rig.link.main_fields().Edit_nom_forage = "P7";
    rig.link.fields().Edit14 = c.edit14;
    rig.link.RadioGroup1Click(0);
    EXPECT_EQ(rig.link.state().track_prefix, "P7" + std::string(c.name_width - 2, ' '));
    for (int i = 0; i <= 10; ++i) rig.link.Timer1Timer(std::string());
    rig.link.Timer1Timer("240|\r\n");
    const auto t = rig.memo(Memo::Memo5);
    ASSERT_EQ(t.size(), 10u);
    EXPECT_EQ(t[3], kNbsp + std::string(c.padding_blanks, ' '));
    EXPECT_EQ(rig.link.state().track_prefix, "P7" + std::string(c.name_width - 2, ' '));
    EXPECT_EQ(t[8].substr(0, c.name_width), rig.link.state().track_prefix);
  }
}

// The wheel already turning when the recording starts: the first lines come before any title
// entry, and each recording's lines carry its own name.
TEST(Track, LinesFromTheFirstPollsCarryThisRecordingsName) {
  set_decimal_separator(',');
  LinkRig rig;
  ASSERT_TRUE(rig.open());
  const struct {
    const char* name;
    std::string prefix;
  } recordings[] = {{"P12", "P12" + std::string(35, ' ')},
                    {"forage", kNbsp + std::string(37, ' ')},
                    {"PUITS-13", "PUITS-13" + std::string(30, ' ')}};
  long long count = 240;
  for (const auto& r : recordings) {
    SCOPED_TRACE(r.name);
    rig.link.RadioGroup1Click(1);
    rig.link.main_fields().Edit_nom_forage = r.name;
    rig.link.state().entry_number = -1;
    rig.link.state().poll_count = 0;
    rig.link.RadioGroup1Click(0);
    rig.send_count(count);
    count += 24;
    const auto entries = entries_of(rig.link.track());
    ASSERT_FALSE(entries.empty());
    for (const auto& e : entries) {
      if (e.text.size() == 1) {
        EXPECT_EQ(e.text[0].substr(0, r.prefix.size()), r.prefix) << e.text[0];
      }
    }
    EXPECT_EQ(rig.view.texts[Control::MainLabel2].substr(0, r.prefix.size()), r.prefix);
  }
}

// A curb zero from the main window's panel (no question, so nothing handles the waiting reads
// first) while the owner was busy and reads completed: the track never runs backwards.
TEST(Track, ZeroingWhileReadsWaitKeepsTheTrackInOrder) {
  SystemClock real;
  LinkRig rig(&real);
  ASSERT_TRUE(rig.open());
  rig.link.state().entry_number = -1;
  rig.link.state().poll_count = 0;
  rig.link.RadioGroup1Click(0);
  long long count = 100;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    rig.send_count(count++);
    // The owner is busy: lines come and their reads complete, nobody handles them.
    for (int i = 0; i < 3; ++i) {
      ASSERT_GT(rig.board.write_bytes(std::to_string(count++) + "|\r\n"), 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(120));
    }
    ASSERT_GT(rig.queue.size(), 0u);
    rig.link.curb_zero_now();
    // The zero took the latest count, the one the wheel was at.
    EXPECT_EQ(rig.link.state().curb_zero, count - 1);
    rig.send_count(count++);
  }
  const auto entries = entries_of(rig.link.track());
  expect_track_in_order(entries);
  int zeros = 0;
  for (const auto& e : entries) zeros += e.text[0].rfind("margelle a zero....", 0) == 0 ? 1 : 0;
  EXPECT_EQ(zeros, 3);
}

// The recording moves the origin to the video's first frame once it is known, later than where
// the track started: the clock then reads earlier than the entries already written.
TEST(Track, AnOriginMovedLaterUnderWayNeverTakesTheTrackBack) {
  LinkRig rig;
  rig.link.RadioGroup1Click(0);
  for (int i = 0; i <= 10; ++i) {
    rig.clock.advance(100);
    rig.link.Timer1Timer(std::string());
  }
  rig.link.set_track_origin(static_cast<std::int64_t>(rig.clock.elapsed_ms()) - 200);
  rig.link.Timer1Timer("240|\r\n");
  rig.link.curb_zero_now();
  rig.clock.advance(1000);
  rig.link.Timer1Timer("241|\r\n");
  const auto entries = entries_of(rig.link.track());
  ASSERT_EQ(entries.size(), 4u);
  expect_track_in_order(entries);
  EXPECT_EQ(entries[0].end, 1000);
  EXPECT_EQ(entries[3].end, 1200);  // real time again once it has caught up
}

TEST(Track, NewAcquisitionClearsTheTrackButKeepsNumbering) {
  LinkRig rig;
  rig.link.RadioGroup1Click(0);
  for (int i = 0; i <= 20; ++i) rig.link.Timer1Timer(std::string());
  EXPECT_EQ(rig.link.state().entry_number, 2);
  rig.link.RadioGroup1Click(1);
  EXPECT_EQ(rig.memo(Memo::Memo5).size(), 12u);
  rig.link.RadioGroup1Click(0);
  EXPECT_TRUE(rig.memo(Memo::Memo5).empty());
  for (int i = 0; i < 10; ++i) rig.link.Timer1Timer(std::string());
  const auto t = rig.memo(Memo::Memo5);
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t[0], "3");
}

TEST(Track, SaveWritesCp1252WithCrLf) {
  const auto dir = std::filesystem::temp_directory_path() / ("wellvue-track-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  LinkRig rig;
  rig.link.set_track_lines({"1", "00:00:00,000 --> 00:00:01,000", kNbsp + "x", ""});
  rig.link.Button5Click();
  std::ifstream in(dir / "TestVLC.srt", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "1\r\n00:00:00,000 --> 00:00:01,000\r\n\xA0x\r\n\r\n");
  // A folder that cannot be written: the runtime's text, and the track unchanged.
  ::chmod(dir.c_str(), 0500);
  std::filesystem::remove(dir / "TestVLC.srt");
  if (::access(dir.c_str(), W_OK) != 0) {  // root writes anywhere
    try {
      rig.link.Button5Click();
      ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()),
                "Impossible de cr\xE9"
                "er le fichier TestVLC.srt");
    }
  }
  ::chmod(dir.c_str(), 0700);
  EXPECT_EQ(rig.memo(Memo::Memo5).size(), 4u);
  std::filesystem::current_path(old);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace wellvue::test
