// Start-up on a machine without any camera: the station says so and ends cleanly.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "form_fixture.h"

namespace wellvue {
namespace {

TEST(StartWithoutCamera, SaysSoAndTheEventLoopEnds) {
  ScriptedPrompter prompter;
  MainFormOptions o;
  o.screen_height = 1080;  // the default ending: a queued exit of the event loop
  auto form = std::make_unique<TFormMain>(station_backend(false), prompter, o);
  if (form->engine().InitCapture()) GTEST_SKIP() << "a camera is attached to this machine";
  form->show();
  ASSERT_EQ(prompter.texts(), std::vector<std::string>{"Can't init capture!"});
  // Start-up completes; the event loop ends as soon as it runs, with a failure status.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  guard.start(30000);
  const int code = QCoreApplication::exec();
  EXPECT_EQ(code, 1);
  form->close();
  form.reset();
}

}  // namespace
}  // namespace wellvue
