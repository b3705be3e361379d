// The depth monitor's view and prompter: the depth text line goes to stdout as it would go to the
// main window's Label2, and message boxes go to stderr (UTF-8 for the terminal).
#pragma once
#include <cstdio>

#include "encoder/link_view.h"
#include "util/prompter.h"

namespace wellvue {

class PrintingView : public LinkView {
 public:
  PrintingView(std::FILE* out, bool timestamps) : out_(out), timestamps_(timestamps) {}
  void set_text(Control c, const std::string& text) override;
  // One line when the board goes, one when it is back.
  void show_link_lost(bool lost) override;

 private:
  void stamp();

  std::FILE* out_;
  bool timestamps_;
};

// Shows every message on stderr; questions are answered No, since nobody is there to answer.
class StderrPrompter : public Prompter {
 public:
  void inform(const std::string& text, const std::string& caption = {}) override;
  bool ask_yes_no(const std::string& text, const std::string& caption = {}) override;
  bool ask_yes_cancel(const std::string& text, const std::string& caption = {}) override;
};

}  // namespace wellvue
