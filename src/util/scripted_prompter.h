// A prompter without a screen, for tools and tests: it keeps every text it is shown and answers
// questions from a list given in advance (No once the list is used up).
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "util/prompter.h"

namespace wellvue {

class ScriptedPrompter : public Prompter {
 public:
  enum class Kind { Inform, YesNo, YesCancel };
  struct Shown {
    Kind kind;
    std::string text;
    std::string caption;
  };

  explicit ScriptedPrompter(std::deque<bool> answers = {}) : answers_(std::move(answers)) {}

  void inform(const std::string& text, const std::string& caption = {}) override;
  bool ask_yes_no(const std::string& text, const std::string& caption = {}) override;
  bool ask_yes_cancel(const std::string& text, const std::string& caption = {}) override;

  void add_answer(bool yes) { answers_.push_back(yes); }
  // Runs before each question is answered, with its text: the time an operator takes to answer.
  void set_before_answer(std::function<void(const std::string& text)> fn) { before_answer_ = std::move(fn); }
  const std::vector<Shown>& shown() const { return shown_; }
  // The texts alone, in the order shown.
  std::vector<std::string> texts() const;
  void clear() { shown_.clear(); }

 private:
  bool next_answer();
  std::deque<bool> answers_;
  std::function<void(const std::string&)> before_answer_;
  std::vector<Shown> shown_;
};

}  // namespace wellvue
