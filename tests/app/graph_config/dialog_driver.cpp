#include "dialog_driver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace wellvue::testing {
namespace {

constexpr int kGiveUpMs = 60000;  // generous: a loaded machine may be slow to show the dialog

void close_dialog(TFGraphConfig& form, CloseBy close) {
  switch (close) {
    case CloseBy::Ok:
      QTest::mouseClick(form.Button1, Qt::LeftButton);
      break;
    case CloseBy::Cancel:
      QTest::mouseClick(form.Button2, Qt::LeftButton);
      break;
    case CloseBy::Escape:
      QTest::keyClick(&form, Qt::Key_Escape);
      break;
    case CloseBy::CloseBox:
      form.close();
      break;
  }
}

}  // namespace

DialogRun run_dialog(TGraphConfig& config, GraphBackend& backend, GraphConfigMemory& memory, const std::string& prefix,
                     const OperatorActions& act, CloseBy close) {
  DialogRun run;
  QElapsedTimer waited;
  waited.start();
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* form = qobject_cast<TFGraphConfig*>(QApplication::activeModalWidget());
    if (form == nullptr) {
      if (waited.elapsed() > kGiveUpMs) {
        poll.stop();
        ADD_FAILURE() << "the dialog never became the active modal window";
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
      }
      return;
    }
    poll.stop();
    run.opened = true;
    if (act) act(*form);
    close_dialog(*form, close);
  });
  poll.start();
  run.result = edit_graph_config(config, backend, memory, prefix);
  poll.stop();
  return run;
}

void pick(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text, Qt::MatchExactly);
  ASSERT_GE(index, 0) << "no item " << text.toStdString();
  // Arrow keys on the closed list: the toolkit selects and reports the pick as a mouse choice does.
  for (int step = 0; step <= combo->count() && combo->currentIndex() != index; ++step)
    QTest::keyClick(combo, combo->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
  ASSERT_EQ(combo->currentIndex(), index) << "the list did not take the pick (disabled?)";
}

bool any_dialog_alive() {
  for (QWidget* w : QApplication::allWidgets())
    if (qobject_cast<TFGraphConfig*>(w) != nullptr) return true;
  return false;
}

}  // namespace wellvue::testing
