#include "app/services/handler_boundary.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <exception>

#include "util/conversion_error.h"

namespace wellvue {

HandlerBoundary::HandlerBoundary(Prompter& prompter, Trace trace) : prompter_(prompter), trace_(std::move(trace)) {}

bool HandlerBoundary::run(const std::function<void()>& handler) {
  // The text is copied out of the handler's scope before the box opens: the box runs the event
  // loop, and nothing of the failed handler must be alive meanwhile.
  std::string text;
  try {
    handler();
    return true;
  } catch (const ConversionError& e) {
    text = e.what();
  } catch (const std::exception& e) {
    text = e.what();
  }
  report(text);
  return false;
}

std::string HandlerBoundary::repeat_trace_line(const std::string& text) { return "erreur (message ouvert) : " + text; }

void HandlerBoundary::report(const std::string& text) {
  if (open_.count(text) != 0) {
    if (trace_) trace_(repeat_trace_line(text));
    return;
  }
  open_.insert(text);
  show_box(text);
}

void HandlerBoundary::report_later(const std::string& text) {
  if (open_.count(text) != 0) {
    if (trace_) trace_(repeat_trace_line(text));
    return;
  }
  open_.insert(text);
  if (QCoreApplication::instance() == nullptr) {
    show_box(text);
    return;
  }
  std::weak_ptr<int> alive = alive_;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [this, alive, text] {
        if (!alive.expired()) show_box(text);
      },
      Qt::QueuedConnection);
}

void HandlerBoundary::show_box(const std::string& text) {
  struct Closed {
    std::set<std::string>& open;
    const std::string& text;
    ~Closed() { open.erase(text); }
  } closed{open_, text};
  prompter_.inform(text);
}

}  // namespace wellvue
