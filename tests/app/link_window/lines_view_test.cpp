// The subtitle track's view over a whole shift of entries: a bounded number of lines in memory,
// the newest in view while the entries come, every older line (the first entry included) read
// back when the operator scrolls to it, and no line lost when the spill folder is unusable.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <csignal>
#include <string>

#include "app/link_window/lines_view.h"
#include "app/link_window/link_window_design.h"
#include "app/link_window/qt_link_view.h"
#include "encoder/line_log.h"
#include "util/srt_entry.h"
#include "util/time_code.h"

namespace wellvue {
namespace {

// The lines of depth entry n, as the link writes them (a no-break space pads the depth).
std::vector<std::string> entry_lines(int n) {
  const auto ms = static_cast<std::uint64_t>(n) * 100;
  return SrtEntry{n,
                  time_code_of_ms(ms),
                  time_code_of_ms(ms + 100),
                  {"\xA0" + std::string(20, ' ') + std::to_string(n / 100) + "." + std::to_string(n % 100) + "m"}}
      .lines();
}

void append_entries(LinesView& view, int from, int to) {
  for (int n = from; n <= to; ++n)
    for (const std::string& l : entry_lines(n)) view.append_line(l);
}

void scroll_to(LinesView& view, std::size_t line) { view.verticalScrollBar()->setValue(static_cast<int>(line)); }

// What the view draws in its first row.
QString top_row(const LinesView& view) { return view.line_text(view.first_visible_line()); }

TEST(LinesView, AWholeShiftOfEntriesKeepsFewLinesInMemoryAndShowsTheFirstAndTheLast) {
  QTemporaryDir spill;
  LinesView view(nullptr, spill.path());
  view.resize(290, 414);
  view.show();
  const int entries = 100000;
  append_entries(view, 1, entries);
  const std::size_t lines = 4u * entries;
  ASSERT_EQ(view.line_count(), lines);
  EXPECT_LE(view.lines().lines_in_memory(), LineStore::kMemoryLines + 2 * LineStore::kBlockLines);
  EXPECT_GE(view.lines().lines_on_disk(), lines - LineStore::kMemoryLines - LineStore::kBlockLines);

  // The newest entry is in view, its blank line at the bottom.
  EXPECT_EQ(view.first_visible_line() + static_cast<std::size_t>(view.rows_in_view()), lines);
  EXPECT_EQ(view.line_text(lines - 4), QStringLiteral("100000"));

  // Scrolled to the top: the first entry, no-break space and all, read back from the disk.
  scroll_to(view, 0);
  EXPECT_EQ(top_row(view), QStringLiteral("1"));
  EXPECT_EQ(view.line_text(1), QStringLiteral("00:00:00,100 --> 00:00:00,200"));
  EXPECT_EQ(view.line_text(2), QString(QChar(0xA0)) + QString(20, ' ') + QStringLiteral("0.1m"));
  // A line in the middle, on a block edge and beside it.
  for (std::size_t i : {std::size_t{4} * 51200, std::size_t{4} * 51200 + 255, std::size_t{4} * 51200 + 256}) {
    const std::vector<std::string> expected = entry_lines(static_cast<int>(i / 4) + 1);
    EXPECT_EQ(view.lines().line(i), expected[i % 4]) << i;
  }
  EXPECT_LE(view.lines().lines_in_memory(), LineStore::kMemoryLines + 2 * LineStore::kBlockLines);
}

TEST(LinesView, StaysWhereTheOperatorScrolledWhileEntriesComeAndFollowsAgainAtTheEnd) {
  QTemporaryDir spill;
  LinesView view(nullptr, spill.path());
  view.resize(290, 200);
  view.show();
  append_entries(view, 1, 2000);
  scroll_to(view, 40);
  append_entries(view, 2001, 2100);
  EXPECT_EQ(view.first_visible_line(), 40u);
  EXPECT_EQ(top_row(view), QStringLiteral("11"));
  scroll_to(view, static_cast<std::size_t>(view.verticalScrollBar()->maximum()));
  append_entries(view, 2101, 2101);
  EXPECT_EQ(view.first_visible_line() + static_cast<std::size_t>(view.rows_in_view()), view.line_count());
}

TEST(LinesView, KeepsEveryLineInMemoryWhenTheSpillFolderCannotBeMade) {
  QTemporaryDir dir;
  // A folder under a plain file cannot exist.
  QFile plain(dir.filePath("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  LinesView view(nullptr, dir.filePath("plain/cache"));
  append_entries(view, 1, 3000);
  ASSERT_EQ(view.line_count(), 12000u);
  EXPECT_EQ(view.lines().lines_on_disk(), 0u);
  EXPECT_EQ(view.line_text(0), QStringLiteral("1"));
  EXPECT_EQ(view.line_text(11996), QStringLiteral("3000"));
}

// The spill file stops growing part way (the file size limit stands for a full disk): the blocks
// already on disk are still read back, and every later line stays in memory.
TEST(LinesView, KeepsTheNewerLinesInMemoryWhenTheSpillFileCannotGrow) {
  QTemporaryDir spill;
  LinesView view(nullptr, spill.path());
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  const auto ignored = std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not the end of the process
  rlimit limited = before;
  limited.rlim_cur = 64 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  append_entries(view, 1, 10000);
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, ignored);

  ASSERT_EQ(view.line_count(), 40000u);
  const std::size_t on_disk = view.lines().lines_on_disk();
  EXPECT_GT(on_disk, 0u);
  EXPECT_LT(on_disk, 40000u - LineStore::kMemoryLines - LineStore::kBlockLines);
  for (std::size_t i : {std::size_t{0}, on_disk - 1, on_disk, std::size_t{39996}}) {
    const std::vector<std::string> expected = entry_lines(static_cast<int>(i / 4) + 1);
    EXPECT_EQ(view.lines().line(i), expected[i % 4]) << i;
  }
}

// The link's calls, through the link window's view: an open clears the track, and the dropped
// oldest lines leave the view while the rows in view stay the same lines. A diagnostic column
// keeps its last lines in memory, whoever writes to it.
TEST(LinesView, TakesTheLinksCallsForMemo5) {
  QWidget window;
  LinkWindowDesign d = LinkWindowDesign::build(&window);
  QtLinkView link_view(d, MainWindowControls{});
  for (int n = 1; n <= 5000; ++n)
    for (const std::string& l : entry_lines(n)) link_view.append_line(Memo::Memo5, l);
  ASSERT_EQ(d.Memo5->line_count(), 20000u);
  scroll_to(*d.Memo5, 4000);
  link_view.drop_first_lines(Memo::Memo5, 1000);
  EXPECT_EQ(d.Memo5->line_count(), 19000u);
  EXPECT_EQ(d.Memo5->line_text(0), QStringLiteral("251"));
  EXPECT_EQ(top_row(*d.Memo5), QStringLiteral("1001"));
  link_view.clear(Memo::Memo5);
  EXPECT_EQ(d.Memo5->line_count(), 0u);
  EXPECT_EQ(d.Memo5->lines().lines_in_memory(), 0u);
  link_view.append_line(Memo::Memo5, "7");
  EXPECT_EQ(d.Memo5->line_text(0), QStringLiteral("7"));

  // A read traced whole shows its board lines as rows.
  link_view.append_line(Memo::Memo1, "424 | \n393|\r | 6");
  ASSERT_EQ(d.Memo1->line_count(), 3u);
  EXPECT_EQ(d.Memo1->line_text(0), QStringLiteral("424 | "));
  EXPECT_EQ(d.Memo1->line_text(1), QStringLiteral("393|"));
  EXPECT_EQ(d.Memo1->line_text(2), QStringLiteral(" | 6"));
  for (int n = 1; n <= 20000; ++n) d.Memo1->append_line(std::to_string(n));
  EXPECT_EQ(d.Memo1->line_count(), kDiagnosticLines);
  EXPECT_EQ(d.Memo1->line_text(0), QString::number(20001 - static_cast<int>(kDiagnosticLines)));
  EXPECT_EQ(d.Memo1->lines().lines_in_memory(), kDiagnosticLines);
  EXPECT_EQ(d.Memo1->lines().lines_on_disk(), 0u);
}

}  // namespace
}  // namespace wellvue
