// The Qt prompter's buttons and answers, the handler boundary's one-box-per-text rule, and the
// poster that brings reader-thread work to the GUI thread.
#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>

#include "app/services/engine_report.h"
#include "app/services/gui_poster.h"
#include "app/services/handler_boundary.h"
#include "app/services/qt_prompter.h"
#include "fake_main_window.h"
#include "util/conversion_error.h"
#include "util/cp1252.h"
#include "util/scripted_prompter.h"

namespace wellvue {
namespace {

using testing::wait_until;

enum class Ask { Inform, YesNo, YesCancel };

struct PromptCase {
  const char* name;
  Ask ask;
  const char* press;  // button text to press; nullptr: Escape
  QStringList buttons;
  bool expected;
};

class QtPrompterTest : public ::testing::TestWithParam<PromptCase> {};

TEST_P(QtPrompterTest, FrenchButtonsAndOnlyYesConsents) {
  const PromptCase& c = GetParam();
  QStringList seen_buttons;
  QString seen_text, seen_title;
  // The box is modal: answer it from the event loop it runs.
  QTimer::singleShot(0, [&] {
    wait_until([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; }, 10000);
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen_text = box->text();
    seen_title = box->windowTitle();
    for (QAbstractButton* b : box->buttons()) seen_buttons << b->text();
    if (c.press == nullptr) {
      box->reject();
      return;
    }
    for (QAbstractButton* b : box->buttons()) {
      if (b->text() == QString::fromUtf8(c.press)) b->click();
    }
  });
  QtPrompter prompter;
  // CP1252 text in, readable text in the box.
  const std::string text = utf8_to_cp1252("Mettre à zéro le niveau de l'eau ?");
  bool answer = false;
  switch (c.ask) {
    case Ask::Inform:
      prompter.inform(text, kEngineReportCaption);
      answer = false;
      break;
    case Ask::YesNo:
      answer = prompter.ask_yes_no(text);
      break;
    case Ask::YesCancel:
      answer = prompter.ask_yes_cancel(text);
      break;
  }
  EXPECT_EQ(answer, c.expected);
  EXPECT_EQ(seen_text, QStringLiteral("Mettre à zéro le niveau de l'eau ?"));
  seen_buttons.sort();
  QStringList expected = c.buttons;
  expected.sort();
  EXPECT_EQ(seen_buttons, expected);
  if (c.ask == Ask::Inform) {
    EXPECT_EQ(seen_title, QStringLiteral("GStreamer - Capture"));
  } else {
    EXPECT_EQ(seen_title, QStringLiteral("Wellvue"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, QtPrompterTest,
    ::testing::Values(PromptCase{"inform_ok", Ask::Inform, "OK", {"OK"}, false},
                      PromptCase{"yes_no_yes", Ask::YesNo, "Oui", {"Oui", "Non"}, true},
                      PromptCase{"yes_no_no", Ask::YesNo, "Non", {"Oui", "Non"}, false},
                      PromptCase{"yes_no_escape", Ask::YesNo, nullptr, {"Oui", "Non"}, false},
                      PromptCase{"yes_cancel_yes", Ask::YesCancel, "Oui", {"Oui", "Annuler"}, true},
                      PromptCase{"yes_cancel_cancel", Ask::YesCancel, "Annuler", {"Oui", "Annuler"}, false},
                      PromptCase{"yes_cancel_escape", Ask::YesCancel, nullptr, {"Oui", "Annuler"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A prompter whose box, while "open", lets other handlers fail: the event loop of a modal box.
class ReentrantPrompter : public Prompter {
 public:
  std::function<void()> while_open;
  std::vector<std::string> boxes;
  void inform(const std::string& text, const std::string&) override {
    boxes.push_back(text);
    if (while_open) {
      auto fn = std::move(while_open);
      while_open = nullptr;
      fn();
    }
  }
  bool ask_yes_no(const std::string&, const std::string&) override { return false; }
  bool ask_yes_cancel(const std::string&, const std::string&) override { return false; }
};

struct BoundaryCase {
  const char* name;
  std::vector<std::string> while_open;  // errors raised by later polls while the first box is open
  std::vector<std::string> boxes;       // boxes shown, in order
  int traces;                           // lines traced instead of a box
};

class HandlerBoundaryTest : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(HandlerBoundaryTest, OneBoxPerOpenText) {
  const BoundaryCase& c = GetParam();
  ReentrantPrompter prompter;
  std::vector<std::string> traced;
  HandlerBoundary boundary(prompter, [&](const std::string& l) { traced.push_back(l); });
  prompter.while_open = [&] {
    for (const std::string& e : c.while_open) {
      EXPECT_FALSE(boundary.run([&] { throw ConversionError(e); }));
    }
  };
  EXPECT_FALSE(boundary.run([] { throw ConversionError("'1,5' n'est pas une valeur enti\xE8re correcte"); }));
  EXPECT_EQ(prompter.boxes, c.boxes);
  EXPECT_EQ(static_cast<int>(traced.size()), c.traces);
  for (const std::string& l : traced) EXPECT_NE(l.find("'1,5'"), std::string::npos) << l;
  EXPECT_EQ(boundary.open_boxes(), 0u);
}

const std::string kBad = "'1,5' n'est pas une valeur enti\xE8re correcte";
const std::string kOther = "'x' n'est pas une valeur en virgule flottante correcte";

INSTANTIATE_TEST_SUITE_P(Errors, HandlerBoundaryTest,
                         ::testing::Values(BoundaryCase{"single", {}, {kBad}, 0},
                                           BoundaryCase{"same_text_traced", {kBad, kBad, kBad}, {kBad}, 3},
                                           BoundaryCase{"other_text_gets_its_box", {kOther, kBad}, {kBad, kOther}, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HandlerBoundary, BoxAgainOnceClosedAndHandlersThatSucceedShowNothing) {
  ScriptedPrompter prompter;
  HandlerBoundary boundary(prompter);
  int ran = 0;
  EXPECT_TRUE(boundary.run([&] { ++ran; }));
  EXPECT_TRUE(prompter.texts().empty());
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(boundary.run([] { throw ConversionError(kBad); }));
  // Two polls failing one after the other, each after the previous box was closed: two boxes.
  EXPECT_EQ(prompter.texts(), (std::vector<std::string>{kBad, kBad}));
  // Not only conversion errors: nothing escapes into the event loop.
  EXPECT_FALSE(boundary.run([] { throw std::runtime_error("disque plein"); }));
  EXPECT_EQ(prompter.texts().back(), "disque plein");
  EXPECT_EQ(ran, 1);
}

TEST(HandlerBoundary, AnErrorReportedLaterLetsTheCallerGoOnAndRepeatsAreTraced) {
  ScriptedPrompter prompter;
  std::vector<std::string> traced;
  HandlerBoundary boundary(prompter, [&](const std::string& l) { traced.push_back(l); });
  // Three polls fail before the event loop runs again: one box, two traces.
  for (int i = 0; i < 3; ++i) boundary.report_later(kBad);
  EXPECT_TRUE(prompter.texts().empty());
  EXPECT_EQ(boundary.open_boxes(), 1u);
  EXPECT_EQ(traced.size(), 2u);
  QCoreApplication::processEvents();
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{kBad});
  EXPECT_EQ(boundary.open_boxes(), 0u);
}

TEST(HandlerBoundary, ABoxPendingWhenTheBoundaryGoesIsNeverShown) {
  ScriptedPrompter prompter;
  {
    HandlerBoundary boundary(prompter);
    boundary.report_later(kBad);
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(prompter.texts().empty());
}

TEST(GuiPoster, RunsReaderThreadWorkOnTheGuiThreadAndDropsItOnceGone) {
  std::atomic<int> ran_on_gui{0}, ran_elsewhere{0};
  std::function<void(std::function<void()>)> sink;
  {
    GuiPoster poster;
    sink = poster.sink();
    std::thread reader([&] {
      for (int i = 0; i < 50; ++i) {
        sink([&] { (QThread::currentThread() == qApp->thread() ? ran_on_gui : ran_elsewhere)++; });
      }
    });
    reader.join();
    EXPECT_TRUE(wait_until([&] { return ran_on_gui.load() == 50; }));
    // Queued but not yet delivered when the poster goes: dropped, never run on a dead receiver.
    poster.post([&] { ran_on_gui++; });
  }
  sink([&] { ran_on_gui++; });
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(ran_on_gui.load(), 50);
  EXPECT_EQ(ran_elsewhere.load(), 0);
}

}  // namespace
}  // namespace wellvue
