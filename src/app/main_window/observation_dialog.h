// The observation dialog: the operator picks a code from large rows (gloved hands), may type a
// note, and saves with Enter or "Enregistrer"; "Modifier la liste…" edits the codes themselves.
#pragma once
#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QLineEdit;
class QPushButton;
class QPlainTextEdit;

namespace wellvue {

struct ObservationChoice {
  std::string code;  // UTF-8
  std::string note;  // UTF-8, may be empty
};

class ObservationDialog : public QDialog {
  Q_OBJECT
 public:
  // source: what the list offers now (the usual codes when it gives none); save_codes writes an
  // edited list, read back through source (none: the list cannot be edited).
  using CodesSource = std::function<std::vector<std::string>()>;
  using CodesSink = std::function<void(const std::vector<std::string>&)>;
  ObservationDialog(CodesSource source, CodesSink save_codes, QWidget* parent = nullptr);
  // The press's depth and time, over the list (UTF-8); empty: "at the present depth".
  void set_heading(const std::string& heading);

  // The code picked and the note, once accepted.
  ObservationChoice choice() const;
  // Opens the list editor ("Modifier la liste…").
  void edit_list();

  QListWidget* codes_list() const { return list_; }
  QLineEdit* note_edit() const { return note_; }
  QPushButton* save_button() const { return save_; }
  QPushButton* edit_button() const { return edit_; }

 private:
  void fill(const std::vector<std::string>& codes);
  void update_save();
  QString picked() const;
  std::vector<std::string> codes() const;

  CodesSource source_;
  CodesSink sink_;
  QLabel* title_ = nullptr;
  QListWidget* list_ = nullptr;
  QLineEdit* note_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* edit_ = nullptr;
};

// The small plain-text editor of the code list: one code per line.
class CodeListEditor : public QDialog {
  Q_OBJECT
 public:
  CodeListEditor(const std::vector<std::string>& codes, QWidget* parent = nullptr);
  std::vector<std::string> lines() const;
  QPlainTextEdit* text() const { return text_; }

 private:
  QPlainTextEdit* text_ = nullptr;
};

// Asks for an observation; nullopt when cancelled or when there is no code to pick.
std::optional<ObservationChoice> ask_observation(const ObservationDialog::CodesSource& codes,
                                                 const ObservationDialog::CodesSink& save_codes, QWidget* parent,
                                                 const std::string& heading = {});

}  // namespace wellvue
