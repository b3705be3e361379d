#include "app/main_window/observation_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "util/observation_codes.h"

namespace wellvue {

namespace {

constexpr int kRowHeight = 46;

QFont pixel_font(QFont f, int px, bool bold) {
  f.setPixelSize(px);
  f.setBold(bold);
  return f;
}

QPushButton* big_button(const QString& text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setFont(pixel_font(b->font(), 18, true));
  b->setMinimumHeight(kRowHeight);
  b->setMinimumWidth(150);
  return b;
}

}  // namespace

ObservationDialog::ObservationDialog(CodesSource source, CodesSink save_codes, QWidget* parent)
    : QDialog(parent), source_(std::move(source)), sink_(std::move(save_codes)) {
  setObjectName("ObservationDialog");
  setWindowTitle(QStringLiteral("Observation"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);

  title_ = new QLabel(QStringLiteral("Observation \u00e0 la profondeur actuelle"), this);
  title_->setObjectName("Label_press");
  title_->setFont(pixel_font(title_->font(), 20, true));
  layout->addWidget(title_);

  list_ = new QListWidget(this);
  list_->setObjectName("ListBox_codes");
  list_->setFont(pixel_font(list_->font(), 22, true));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  // Eight rows at once: most lists whole, and the dialog still fits a laptop's screen.
  list_->setMinimumSize(460, 8 * kRowHeight + 2 * list_->frameWidth());
  layout->addWidget(list_, 1);

  auto* note_label = new QLabel(QStringLiteral("Note (facultative) :"), this);
  note_label->setFont(pixel_font(note_label->font(), 16, false));
  layout->addWidget(note_label);
  note_ = new QLineEdit(this);
  note_->setObjectName("Edit_note");
  note_->setFont(pixel_font(note_->font(), 20, false));
  note_->setMinimumHeight(kRowHeight - 6);
  layout->addWidget(note_);

  auto* buttons = new QHBoxLayout;
  edit_ = big_button(QStringLiteral("Modifier la liste\u2026"), this);
  edit_->setObjectName("Button_edit_list");
  edit_->setAutoDefault(false);
  edit_->setEnabled(static_cast<bool>(sink_));
  save_ = big_button(QStringLiteral("Enregistrer"), this);
  save_->setObjectName("Button_save");
  save_->setDefault(true);
  auto* cancel = big_button(QStringLiteral("Annuler"), this);
  cancel->setObjectName("Button_cancel");
  cancel->setAutoDefault(false);
  buttons->addWidget(edit_);
  buttons->addStretch(1);
  buttons->addWidget(save_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  // Picked means selected: the row the list makes current on its own when it takes the focus
  // is no choice of the operator's.
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] { update_save(); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
  connect(save_, &QPushButton::clicked, this, [this] {
    if (!list_->selectedItems().isEmpty()) accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(edit_, &QPushButton::clicked, this, [this] { edit_list(); });

  fill(codes());
  list_->setFocus();
}

void ObservationDialog::fill(const std::vector<std::string>& codes) {
  const QString kept = picked();
  list_->clear();
  for (const std::string& c : codes) {
    auto* item = new QListWidgetItem(QString::fromStdString(c), list_);
    item->setSizeHint(QSize(0, kRowHeight));
  }
  // The code picked before an edit stays picked when it is still there.
  const auto found = list_->findItems(kept, Qt::MatchExactly);
  if (!kept.isEmpty() && !found.isEmpty()) {
    list_->setCurrentItem(found.front());
    found.front()->setSelected(true);
  }
  update_save();
}

QString ObservationDialog::picked() const {
  const QList<QListWidgetItem*> items = list_->selectedItems();
  return items.isEmpty() ? QString() : items.front()->text();
}

std::vector<std::string> ObservationDialog::codes() const {
  std::vector<std::string> c = source_ ? source_() : std::vector<std::string>{};
  // Never an empty list to pick from.
  return c.empty() ? default_observation_codes() : c;
}

void ObservationDialog::update_save() { save_->setEnabled(!picked().isEmpty()); }

ObservationChoice ObservationDialog::choice() const {
  ObservationChoice c;
  c.code = picked().toStdString();
  c.note = note_->text().trimmed().toStdString();
  return c;
}

void ObservationDialog::edit_list() {
  if (!sink_) return;
  CodeListEditor editor(codes(), this);
  if (editor.exec() != QDialog::Accepted) return;
  sink_(editor.lines());
  fill(codes());
  list_->setFocus();
}

CodeListEditor::CodeListEditor(const std::vector<std::string>& codes, QWidget* parent) : QDialog(parent) {
  setObjectName("CodeListEditor");
  setWindowTitle(QStringLiteral("Liste des observations"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* hint =
      new QLabel(QStringLiteral("Un code par ligne ; les lignes commen\u00e7ant par # sont ignor\u00e9es."), this);
  layout->addWidget(hint);
  text_ = new QPlainTextEdit(this);
  text_->setObjectName("Memo_codes");
  text_->setFont(pixel_font(text_->font(), 18, false));
  text_->setMinimumSize(420, 360);
  QString all;
  for (const std::string& c : codes) all += QString::fromStdString(c) + u'\n';
  text_->setPlainText(all);
  layout->addWidget(text_, 1);
  auto* buttons = new QHBoxLayout;
  auto* save = big_button(QStringLiteral("Enregistrer"), this);
  save->setObjectName("Button_save_list");
  save->setAutoDefault(false);
  auto* cancel = big_button(QStringLiteral("Annuler"), this);
  cancel->setObjectName("Button_cancel_list");
  cancel->setAutoDefault(false);
  buttons->addStretch(1);
  buttons->addWidget(save);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(save, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  text_->setFocus();
}

std::vector<std::string> CodeListEditor::lines() const {
  std::vector<std::string> out;
  for (const QString& l : text_->toPlainText().split(u'\n')) out.push_back(l.toStdString());
  return out;
}

void ObservationDialog::set_heading(const std::string& heading) {
  if (!heading.empty()) title_->setText(QString::fromStdString(heading));
}

std::optional<ObservationChoice> ask_observation(const ObservationDialog::CodesSource& codes,
                                                 const ObservationDialog::CodesSink& save_codes, QWidget* parent,
                                                 const std::string& heading) {
  ObservationDialog d(codes, save_codes, parent);
  d.set_heading(heading);
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  ObservationChoice c = d.choice();
  if (c.code.empty()) return std::nullopt;
  return c;
}

}  // namespace wellvue
