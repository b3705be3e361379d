#include "depth_monitor.h"

#include <time.h>

#include "util/cp1252.h"
#include "util/numbers.h"

namespace wellvue {

void PrintingView::stamp() {
  if (!timestamps_) return;
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  const double ms = static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
  std::fprintf(out_, "%s ", fixed_text(ms, 3).c_str());
}

void PrintingView::set_text(Control c, const std::string& text) {
  if (c != Control::MainLabel2) return;
  stamp();
  std::fprintf(out_, "%s\n", cp1252_to_utf8(text).c_str());
  std::fflush(out_);
}

void PrintingView::show_link_lost(bool lost) {
  stamp();
  std::fprintf(out_, "%s\n",
               lost ? "encodeur d\xC3\xA9"
                      "connect\xC3\xA9"
                    : "encodeur reconnect\xC3\xA9");
  std::fflush(out_);
}

void StderrPrompter::inform(const std::string& text, const std::string&) {
  std::fprintf(stderr, "%s\n", cp1252_to_utf8(text).c_str());
}

bool StderrPrompter::ask_yes_no(const std::string& text, const std::string& caption) {
  inform(text, caption);
  return false;
}

bool StderrPrompter::ask_yes_cancel(const std::string& text, const std::string& caption) {
  inform(text, caption);
  return false;
}

}  // namespace wellvue
