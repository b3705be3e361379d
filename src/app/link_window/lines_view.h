// A read-only text area of the link window (the subtitle track Memo5, the diagnostic columns): a
// list of lines drawn one per row over LineStore, only the rows in view. However long the
// recording, it holds a bounded number of lines; it follows the newest line unless the operator
// scrolled away.
#pragma once
#include <QAbstractScrollArea>
#include <QString>
#include <cstddef>
#include <string>

#include "app/link_window/line_store.h"

namespace wellvue {

class LinesView : public QAbstractScrollArea {
 public:
  // spill_folder: where the older lines go; empty: they stay in memory (a column with a limit).
  LinesView(QWidget* parent, const QString& spill_folder);
  // At most `limit` lines, the oldest dropped first (0: no limit).
  void set_line_limit(std::size_t limit) { limit_ = limit; }

  // Lines are CP1252, as the link writes them; a CR or LF inside one starts a new row.
  void append_line(const std::string& line);
  void clear_lines();
  void drop_first_lines(std::size_t n);

  std::size_t line_count() const { return lines_.size(); }
  QString line_text(std::size_t i) const;
  const LineStore& lines() const { return lines_; }
  // The first row in view and how many rows fit.
  std::size_t first_visible_line() const;
  int rows_in_view() const;

  static QString default_spill_folder();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void update_ranges(bool follow);
  bool at_end() const;
  int row_height() const;

  LineStore lines_;
  int widest_ = 0;  // widest line seen since the last clear, in pixels
  std::size_t limit_ = 0;
};

}  // namespace wellvue
