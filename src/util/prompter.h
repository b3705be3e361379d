// The operator's message boxes as the core logic sees them. The app shows real modal boxes;
// tests and tools give scripted ones. All texts are CP1252, like every text of the core.
#pragma once
#include <string>

namespace wellvue {

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Information box with an OK button; caption empty means the application title.
  virtual void inform(const std::string& text, const std::string& caption = {}) = 0;
  // Question with Yes and No; only Yes is consent.
  virtual bool ask_yes_no(const std::string& text, const std::string& caption = {}) = 0;
  // Question with Yes and Cancel; only Yes is consent.
  virtual bool ask_yes_cancel(const std::string& text, const std::string& caption = {}) = 0;
};

}  // namespace wellvue
