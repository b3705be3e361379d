// The video folder chooser: a folder tree and a path field. The operator may type a folder that
// does not exist yet; OK then asks before creating it, and creates it.
#pragma once
#include <QDialog>
#include <QString>
#include <optional>

#include "util/prompter.h"

class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace wellvue {

class FolderChooser : public QDialog {
  Q_OBJECT
 public:
  // `start`: the folder shown and selected first (empty: none selected, the home folder shown).
  FolderChooser(const QString& start, Prompter& prompter, QWidget* parent = nullptr);

  // The folder chosen, absolute and cleaned; valid once the dialog was accepted.
  QString folder() const { return chosen_; }

  static constexpr const char* kCaption = "Choix du répertoire vidéo";

  QTreeView* tree = nullptr;
  QLineEdit* path_edit = nullptr;
  QPushButton* ok_button = nullptr;
  QPushButton* cancel_button = nullptr;

 public slots:
  // OK: an existing folder is taken; a missing one is created after the operator agreed; anything
  // else keeps the dialog open.
  void accept() override;

 private:
  QString typed_path() const;

  Prompter& prompter_;
  QFileSystemModel* model_ = nullptr;
  QString base_;
  QString chosen_;
};

// Shows the chooser modally: the folder chosen, or nullopt when the operator cancelled.
std::optional<QString> choose_folder(const QString& start, Prompter& prompter, QWidget* parent = nullptr);

}  // namespace wellvue
