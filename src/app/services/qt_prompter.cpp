#include "app/services/qt_prompter.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include "app/services/text_bridge.h"

namespace wellvue {

QtPrompter::QtPrompter(QWidget* parent) : parent_(parent) {}

void QtPrompter::inform(const std::string& text, const std::string& caption) { show(Kind::Inform, text, caption); }

bool QtPrompter::ask_yes_no(const std::string& text, const std::string& caption) {
  return show(Kind::YesNo, text, caption);
}

bool QtPrompter::ask_yes_cancel(const std::string& text, const std::string& caption) {
  return show(Kind::YesCancel, text, caption);
}

bool QtPrompter::show(Kind kind, const std::string& text, const std::string& caption) {
  // A hidden parent would hide the box on some window managers: only a shown window parents it.
  QWidget* parent = (parent_ && parent_->isVisible()) ? parent_.data() : nullptr;
  QMessageBox box(parent);
  box.setWindowTitle(caption.empty() ? QGuiApplication::applicationDisplayName() : to_qt(caption));
  box.setText(to_qt(text));
  box.setTextFormat(Qt::PlainText);
  QPushButton* yes = nullptr;
  switch (kind) {
    case Kind::Inform:
      box.setIcon(QMessageBox::NoIcon);
      box.setDefaultButton(box.addButton(QString::fromUtf8(kOk), QMessageBox::AcceptRole));
      break;
    case Kind::YesNo: {
      box.setIcon(QMessageBox::Question);
      yes = box.addButton(QString::fromUtf8(kYes), QMessageBox::YesRole);
      QPushButton* no = box.addButton(QString::fromUtf8(kNo), QMessageBox::NoRole);
      box.setDefaultButton(yes);
      box.setEscapeButton(no);
      break;
    }
    case Kind::YesCancel: {
      box.setIcon(QMessageBox::Question);
      yes = box.addButton(QString::fromUtf8(kYes), QMessageBox::YesRole);
      QPushButton* cancel = box.addButton(QString::fromUtf8(kCancel), QMessageBox::RejectRole);
      box.setDefaultButton(yes);
      box.setEscapeButton(cancel);
      break;
    }
  }
  box.exec();
  // Closing the box by its title bar or Escape is not consent.
  return yes != nullptr && box.clickedButton() == yes;
}

}  // namespace wellvue
