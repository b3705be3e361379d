#include "util/scripted_prompter.h"

namespace wellvue {

void ScriptedPrompter::inform(const std::string& text, const std::string& caption) {
  shown_.push_back({Kind::Inform, text, caption});
}

bool ScriptedPrompter::ask_yes_no(const std::string& text, const std::string& caption) {
  shown_.push_back({Kind::YesNo, text, caption});
  if (before_answer_) before_answer_(text);
  return next_answer();
}

bool ScriptedPrompter::ask_yes_cancel(const std::string& text, const std::string& caption) {
  shown_.push_back({Kind::YesCancel, text, caption});
  if (before_answer_) before_answer_(text);
  return next_answer();
}

std::vector<std::string> ScriptedPrompter::texts() const {
  std::vector<std::string> out;
  out.reserve(shown_.size());
  for (const auto& s : shown_) out.push_back(s.text);
  return out;
}

bool ScriptedPrompter::next_answer() {
  if (answers_.empty()) return false;
  const bool yes = answers_.front();
  answers_.pop_front();
  return yes;
}

}  // namespace wellvue
