// The review window's two deliverable dialogs, offering what the command-line tools offer:
// the export's container and burn-in (wellvue-export), the report's site and operator
// (wellvue-report), each with the file it writes. Sized for gloved hands.
#pragma once
#include <QDialog>
#include <string>

#include "report/deliverable_choices.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace wellvue {

// Height of every control: 12 mm at 96 dpi.
inline constexpr int kGloveHeightPx = 46;

class ExportDialog : public QDialog {
  Q_OBJECT
 public:
  // `stem`: the recording's path without extension (UTF-8); the file proposed is beside it.
  ExportDialog(const std::string& stem, const DeliverableChoices& choices, QWidget* parent = nullptr);
  bool mp4() const;
  bool burn() const;
  std::string output() const;  // UTF-8
  QRadioButton* mkv_button() const { return mkv_; }
  QRadioButton* mp4_button() const { return mp4_; }
  QCheckBox* burn_box() const { return burn_; }
  QLineEdit* output_field() const { return output_; }

 private:
  void follow_format();
  std::string stem_;
  QRadioButton* mkv_ = nullptr;
  QRadioButton* mp4_ = nullptr;
  QCheckBox* burn_ = nullptr;
  QLineEdit* output_ = nullptr;
};

class ReportDialog : public QDialog {
  Q_OBJECT
 public:
  ReportDialog(const std::string& stem, const DeliverableChoices& choices, QWidget* parent = nullptr);
  std::string site() const;           // UTF-8
  std::string operator_name() const;  // UTF-8
  std::string output() const;         // UTF-8
  QLineEdit* site_field() const { return site_; }
  QLineEdit* operator_field() const { return operator_; }
  QLineEdit* output_field() const { return output_; }

 private:
  QLineEdit* site_ = nullptr;
  QLineEdit* operator_ = nullptr;
  QLineEdit* output_ = nullptr;
};

}  // namespace wellvue
