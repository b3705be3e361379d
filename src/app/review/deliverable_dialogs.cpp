#include "app/review/deliverable_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace wellvue {
namespace {

QString from_utf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

template <class W>
W* tall(W* w) {
  w->setMinimumHeight(kGloveHeightPx);
  return w;
}

// The file field with its "Choisir…" button, which asks the desktop's file dialog.
QWidget* file_row(QWidget* parent, QLineEdit*& field, const QString& caption, const QString& filter) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  field = tall(new QLineEdit(row));
  field->setMinimumWidth(420);
  auto* choose = tall(new QPushButton(QStringLiteral("Choisir…"), row));
  QLineEdit* target = field;
  QObject::connect(choose, &QPushButton::clicked, row, [row, target, caption, filter] {
    const QString chosen = QFileDialog::getSaveFileName(row, caption, target->text(), filter, nullptr,
                                                        QFileDialog::DontConfirmOverwrite);
    if (!chosen.isEmpty()) target->setText(chosen);
  });
  layout->addWidget(field, 1);
  layout->addWidget(choose);
  return row;
}

QFormLayout* form_layout() {
  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return form;
}

QDialogButtonBox* buttons(QDialog* dialog, const QString& ok_text) {
  auto* box = new QDialogButtonBox(dialog);
  tall(box->addButton(ok_text, QDialogButtonBox::AcceptRole))->setDefault(true);
  tall(box->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole));
  QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return box;
}

}  // namespace

ExportDialog::ExportDialog(const std::string& stem, const DeliverableChoices& choices, QWidget* parent)
    : QDialog(parent), stem_(stem) {
  setWindowTitle(QStringLiteral("Exporter en H.264"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(
      QStringLiteral("La vidéo en H.264 avec les pistes de sous-titres « Profondeur » et « Observations »."), this));
  auto* form = form_layout();
  auto* formats = new QWidget(this);
  auto* format_row = new QHBoxLayout(formats);
  format_row->setContentsMargins(0, 0, 0, 0);
  mkv_ = tall(new QRadioButton(QStringLiteral("Matroska (.mkv)"), formats));
  mp4_ = tall(new QRadioButton(QStringLiteral("MP4 (.mp4)"), formats));
  format_row->addWidget(mkv_);
  format_row->addWidget(mp4_);
  format_row->addStretch();
  form->addRow(QStringLiteral("Format :"), formats);
  burn_ = tall(new QCheckBox(QStringLiteral("Incruster aussi dans l'image la profondeur, le forage et l'heure"), this));
  burn_->setChecked(choices.burn);
  form->addRow(QString(), burn_);
  form->addRow(QStringLiteral("Fichier :"),
               file_row(this, output_, QStringLiteral("Exporter en H.264"),
                        QStringLiteral("Matroska (*.mkv);;MP4 (*.mp4)")));
  layout->addLayout(form);
  layout->addWidget(buttons(this, QStringLiteral("Exporter")));
  (choices.mp4 ? mp4_ : mkv_)->setChecked(true);
  output_->setText(from_utf8(stem_ + (choices.mp4 ? ".mp4" : ".mkv")));
  connect(mkv_, &QRadioButton::toggled, this, [this] { follow_format(); });
}

// The file's extension follows the format chosen.
void ExportDialog::follow_format() {
  QString name = output_->text();
  const QString wanted = mp4() ? QStringLiteral(".mp4") : QStringLiteral(".mkv");
  if (name.endsWith(QStringLiteral(".mkv"), Qt::CaseInsensitive) ||
      name.endsWith(QStringLiteral(".mp4"), Qt::CaseInsensitive))
    name.chop(4);
  output_->setText(name + wanted);
}

bool ExportDialog::mp4() const { return mp4_->isChecked(); }
bool ExportDialog::burn() const { return burn_->isChecked(); }
std::string ExportDialog::output() const { return output_->text().trimmed().toStdString(); }

ReportDialog::ReportDialog(const std::string& stem, const DeliverableChoices& choices, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Rapport d'inspection"));
  auto* layout = new QVBoxLayout(this);
  auto* form = form_layout();
  site_ = tall(new QLineEdit(from_utf8(choices.site), this));
  site_->setPlaceholderText(QStringLiteral("commune, lieu-dit, client…"));
  operator_ = tall(new QLineEdit(from_utf8(choices.operator_name), this));
  form->addRow(QStringLiteral("Site :"), site_);
  form->addRow(QStringLiteral("Opérateur :"), operator_);
  form->addRow(QStringLiteral("Fichier :"),
               file_row(this, output_, QStringLiteral("Rapport d'inspection"), QStringLiteral("PDF (*.pdf)")));
  output_->setText(from_utf8(stem + " rapport.pdf"));
  layout->addLayout(form);
  layout->addWidget(buttons(this, QStringLiteral("Écrire le rapport")));
}

std::string ReportDialog::site() const { return site_->text().trimmed().toStdString(); }
std::string ReportDialog::operator_name() const { return operator_->text().trimmed().toStdString(); }
std::string ReportDialog::output() const { return output_->text().trimmed().toStdString(); }

}  // namespace wellvue
