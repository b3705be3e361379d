// Shows the tool's message boxes on standard output, in UTF-8, one blank line after each.
#pragma once
#include <iostream>

#include "util/cp1252.h"
#include "util/prompter.h"

namespace wellvue {

class PrintingPrompter : public Prompter {
 public:
  void inform(const std::string& text, const std::string& = {}) override { print(text); }
  // The re-timing operations ask nothing; a question would be answered "no".
  bool ask_yes_no(const std::string& text, const std::string& = {}) override { return print(text), false; }
  bool ask_yes_cancel(const std::string& text, const std::string& = {}) override { return print(text), false; }

 private:
  static void print(const std::string& text) { std::cout << cp1252_to_utf8(text) << "\n\n"; }
};

}  // namespace wellvue
