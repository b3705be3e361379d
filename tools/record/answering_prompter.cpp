#include "answering_prompter.h"

#include "capture/video_capture.h"
#include "recording/recording_texts.h"
#include "util/cp1252.h"

namespace wellvue::record_tool {

AnsweringPrompter::AnsweringPrompter(const Options& options, std::ostream& err,
                                     std::function<std::string()> current_avi)
    : zero_(options.zero_counters), replace_(options.replace), err_(err), current_avi_(std::move(current_avi)) {}

void AnsweringPrompter::inform(const std::string& text, const std::string&) { err_ << cp1252_to_utf8(text) << '\n'; }

bool AnsweringPrompter::ask_yes_no(const std::string& text, const std::string&) { return answer(text); }

bool AnsweringPrompter::ask_yes_cancel(const std::string& text, const std::string&) { return answer(text); }

bool AnsweringPrompter::answer(const std::string& text) {
  // What an operator with the camera at the curb says: the counters start from zero there, the
  // recording is wanted once asked for, and a file already recorded is never lost unless told.
  Answer given = Answer::Unset;
  bool fallback = false;
  const char* option = nullptr;
  if (text == kZeroQuestion) {
    given = zero_;
    fallback = true;
    option = "--zero-counters";
  } else if (text == kStartCaptureQuestion) {
    fallback = true;
  } else if (current_avi_ && text == overwrite_question(current_avi_())) {
    given = replace_;
    option = "--replace";
  }
  const bool yes = given == Answer::Unset ? fallback : given == Answer::Yes;
  err_ << cp1252_to_utf8(text) << " -> " << (yes ? "oui" : "non");
  if (given == Answer::Unset) err_ << " (réponse par défaut)";
  else err_ << " (" << option << ')';
  err_ << '\n';
  return yes;
}

}  // namespace wellvue::record_tool
