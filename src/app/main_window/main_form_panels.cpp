// The curb panel (start depth, curb zero) and the calibration panel over the video: each handler
// reads its field here and forwards the depth-state work to the encoder link.
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>

#include "app/main_window/main_form.h"
#include "app/services/text_bridge.h"
#include "util/conversion_error.h"
#include "util/numbers.h"
#include "util/typed_number.h"

namespace wellvue {

namespace {

// Enter in the start-depth box: the box's own Enter would add the typed text to its list.
class EnterKeyFilter : public QObject {
 public:
  EnterKeyFilter(QObject* parent, std::function<void()> on_enter) : QObject(parent), on_enter_(std::move(on_enter)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        on_enter_();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> on_enter_;
};

}  // namespace

void TFormMain::wire_panels() {
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  connect(ComboBox1, &QComboBox::activated, this, [this](int) { run_handler([this] { ComboBox1Click(); }); });
  auto* enter = new EnterKeyFilter(this, [this] { run_handler([this] { ComboBox1KeyDown(13); }); });
  ComboBox1->installEventFilter(enter);
  if (ComboBox1->lineEdit()) ComboBox1->lineEdit()->installEventFilter(enter);

  connect(BitBtn1, &QPushButton::clicked, this, [this] { run_handler([this] { BitBtn1Click(); }); });
  connect(BitBtn_start, &QPushButton::clicked, this, [this] { run_handler([this] { BitBtn_startClick(); }); });
  connect(BitBtn_stop, &QPushButton::clicked, this, [this] { run_handler([this] { BitBtn_stopClick(); }); });
  connect(BitBtn_manu, &QPushButton::clicked, this, [this] { run_handler([this] { BitBtn_manuClick(); }); });
}

std::optional<int> TFormMain::read_start_depth() {
  const std::string typed = from_qt(ComboBox1->currentText());
  // The whole text must be the number ("1O0" is refused, not read as 1): one reader for all.
  const TypedWhole cm = read_typed_whole(typed, "cm");
  if (!cm.number) {
    prompter_.inform(
        " valeur erronn\xE9"
        "e : " +
        typed);
    return std::nullopt;
  }
  // A decimal ends the handler with the conversion error; nothing has changed yet.
  if (!cm.whole) throw ConversionError(not_an_integer_text(typed));
  return *cm.whole;
}

void TFormMain::ComboBox1Click() {
  const std::optional<int> cm = read_start_depth();
  if (!cm) return;
  if (links_.set_start_depth_cm) links_.set_start_depth_cm(*cm);
  const QString text = to_qt(int_text(*cm) + " cm");
  ComboBox1->setEditText(text);
  Label7->setText(text);
  Label7->adjustSize();
}

void TFormMain::ComboBox1KeyDown(int key) {
  if (key == 13) ComboBox1Click();
}

void TFormMain::BitBtn1Click() {
  const std::optional<int> cm = read_start_depth();
  if (!cm) {
    Panel_margelle->hide();
    return;
  }
  if (links_.set_start_depth_cm) links_.set_start_depth_cm(*cm);
  const std::string text = int_text(*cm) + " cm";
  Label7->setText(to_qt(text));
  Label7->adjustSize();
  if (links_.show_start_depth_in_link) links_.show_start_depth_in_link(text);
  if (links_.curb_zero_now) links_.curb_zero_now();
  Panel_margelle->hide();
}

void TFormMain::correct_depth() {
  if (!links_.correct_depth) return;
  QInputDialog d(this);
  d.setObjectName("CorrectionDialog");
  d.setWindowTitle(QStringLiteral("Correction de profondeur"));
  d.setLabelText(QStringLiteral("Profondeur vraie de la cam\u00e9ra ici (m) :"));
  QFont big = d.font();
  big.setPixelSize(22);
  d.setFont(big);
  if (d.exec() != QDialog::Accepted) return;
  const std::string typed = from_qt(d.textValue());
  const std::optional<double> metres = read_typed_number(typed, "m");
  if (!metres) {
    prompter_.inform(
        " valeur erronn\xE9"
        "e : " +
        typed);
    return;
  }
  links_.correct_depth(*metres);
}

void TFormMain::BitBtn_startClick() {
  if (links_.calibration_start) links_.calibration_start(Sender::MainWindow);
}

void TFormMain::BitBtn_stopClick() {
  if (links_.calibration_stop) links_.calibration_stop(Sender::MainWindow);
}

void TFormMain::BitBtn_manuClick() {
  if (links_.calibration_manual) links_.calibration_manual(Sender::MainWindow);
}

}  // namespace wellvue
