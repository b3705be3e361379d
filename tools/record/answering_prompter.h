// The station's message boxes on a terminal: every text goes to stderr in UTF-8, and each question
// is answered from the command line, or with its default answer, and printed with that answer.
#pragma once
#include <functional>
#include <ostream>
#include <string>

#include "record_options.h"
#include "util/prompter.h"

namespace wellvue::record_tool {

class AnsweringPrompter : public Prompter {
 public:
  // `current_avi` gives the name (CP1252) the overwrite question is about.
  AnsweringPrompter(const Options& options, std::ostream& err, std::function<std::string()> current_avi);

  void inform(const std::string& text, const std::string& caption = {}) override;
  bool ask_yes_no(const std::string& text, const std::string& caption = {}) override;
  bool ask_yes_cancel(const std::string& text, const std::string& caption = {}) override;

 private:
  bool answer(const std::string& text);

  Answer zero_;
  Answer replace_;
  std::ostream& err_;
  std::function<std::string()> current_avi_;
};

}  // namespace wellvue::record_tool
