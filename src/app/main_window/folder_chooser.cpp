#include "app/main_window/folder_chooser.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/services/text_bridge.h"
#include "recording/recording_files.h"

namespace wellvue {

FolderChooser::FolderChooser(const QString& start, Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
  setObjectName("FolderChooser");
  setWindowTitle(QString::fromUtf8(kCaption));
  resize(560, 460);
  const bool has_start = !start.isEmpty() && QFileInfo(start).isDir();
  base_ = has_start ? QDir(start).absolutePath() : QDir::homePath();

  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath(QDir::rootPath());

  tree = new QTreeView(this);
  tree->setObjectName("tree");
  tree->setModel(model_);
  for (int c = 1; c < model_->columnCount(); ++c) tree->hideColumn(c);
  tree->header()->hide();
  const QModelIndex shown = model_->index(base_);
  tree->setCurrentIndex(shown);
  tree->scrollTo(shown);
  tree->expand(shown);

  path_edit = new QLineEdit(has_start ? base_ : QString(), this);
  path_edit->setObjectName("path_edit");
  ok_button = new QPushButton("OK", this);
  ok_button->setObjectName("ok_button");
  ok_button->setDefault(true);
  cancel_button = new QPushButton("Annuler", this);
  cancel_button->setObjectName("cancel_button");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tree, 1);
  auto* path_row = new QHBoxLayout;
  path_row->addWidget(new QLabel(QString::fromUtf8("Répertoire :"), this));
  path_row->addWidget(path_edit, 1);
  layout->addLayout(path_row);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_button);
  buttons->addWidget(cancel_button);
  layout->addLayout(buttons);

  // A folder picked in the tree goes to the path field, which is what OK takes.
  connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
    if (index.isValid()) path_edit->setText(QDir::toNativeSeparators(model_->filePath(index)));
  });
  connect(ok_button, &QPushButton::clicked, this, &FolderChooser::accept);
  connect(cancel_button, &QPushButton::clicked, this, &FolderChooser::reject);
}

QString FolderChooser::typed_path() const {
  const QString typed = path_edit->text().trimmed();
  if (typed.isEmpty()) return {};
  // A relative name is taken inside the folder the chooser opened on.
  return QDir::cleanPath(QDir(base_).absoluteFilePath(QDir::fromNativeSeparators(typed)));
}

void FolderChooser::accept() {
  const QString path = typed_path();
  if (path.isEmpty()) return;
  const QFileInfo info(path);
  if (info.isDir()) {
    // "/" typed by hand, a system folder, one the operator cannot write: said here, not at Start.
    const std::string problem = video_folder_problem(path.toStdString());
    if (!problem.empty()) {
      prompter_.inform(problem);
      return;
    }
    chosen_ = path;
    QDialog::accept();
    return;
  }
  if (info.exists()) {
    prompter_.inform(from_qt(path) + " n'est pas un r\xE9pertoire");
    return;
  }
  if (!prompter_.ask_yes_no("Le r\xE9pertoire " + from_qt(path) +
                            " n'existe pas.\n\nLe cr\xE9"
                            "er ?"))
    return;
  if (!QDir().mkpath(path)) {
    prompter_.inform(
        "Impossible de cr\xE9"
        "er le r\xE9pertoire " +
        from_qt(path));
    return;
  }
  chosen_ = path;
  QDialog::accept();
}

std::optional<QString> choose_folder(const QString& start, Prompter& prompter, QWidget* parent) {
  FolderChooser chooser(start, prompter, parent);
  if (chooser.exec() != QDialog::Accepted) return std::nullopt;
  return chooser.folder();
}

}  // namespace wellvue
