// The link window's subtitle track (Memo5): a read-only list of lines drawn one per row, as many
// as fit, over TrackLines. However long the recording, it holds a bounded number of lines and
// draws only the rows in view; it follows the newest line unless the operator scrolled away.
#pragma once
#include <QAbstractScrollArea>
#include <QString>
#include <cstddef>
#include <string>

#include "app/link_window/track_lines.h"

namespace wellvue {

class TrackView : public QAbstractScrollArea {
 public:
  // spill_folder: where the older lines go (the user's cache folder when empty).
  explicit TrackView(QWidget* parent, const QString& spill_folder = QString());

  // Lines are CP1252, as the link writes them.
  void append_line(const std::string& line);
  void clear_lines();
  void drop_first_lines(std::size_t n);

  std::size_t line_count() const { return lines_.size(); }
  QString line_text(std::size_t i) const;
  const TrackLines& lines() const { return lines_; }
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

  TrackLines lines_;
  int widest_ = 0;  // widest line seen since the last clear, in pixels
};

}  // namespace wellvue
