// The application's handler boundary: a handler that fails with a conversion error (or any other
// exception) ends there, its text is shown in a box and the program goes on. While a box is open
// for a text, the same text raised again (a poll failing at every tick) is only traced.
#pragma once
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "util/prompter.h"

namespace wellvue {

class HandlerBoundary {
 public:
  using Trace = std::function<void(const std::string&)>;

  explicit HandlerBoundary(Prompter& prompter, Trace trace = {});

  // Where repeated errors go while their box is open (the link window's Memo1).
  void set_trace(Trace trace) { trace_ = std::move(trace); }

  // Runs the handler; returns false when it ended with an exception (already reported).
  bool run(const std::function<void()>& handler);

  // Shows the error text (CP1252) in a box, or only traces it when a box with the same text is
  // still open. Modal boxes keep the event loop running, so this may be re-entered.
  void report(const std::string& text);

  // The same for an error met while the event loop must go on at once (a poll, whose handler must
  // return before the next reads are handled): the box opens from the event loop a moment later,
  // and the text counts as open from now on.
  void report_later(const std::string& text);

  // Texts whose box is open (or about to open) now.
  std::size_t open_boxes() const { return open_.size(); }

  // Trace line written for an error whose box is already open.
  static std::string repeat_trace_line(const std::string& text);

 private:
  Prompter& prompter_;
  Trace trace_;
  void show_box(const std::string& text);

  std::set<std::string> open_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace wellvue
