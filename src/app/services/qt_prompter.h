// The operator's modal message boxes on Qt: information with OK, Yes/No and Yes/Cancel questions
// with French buttons. Texts arrive in CP1252 like every core text.
#pragma once
#include <QPointer>
#include <QWidget>

#include "util/prompter.h"

namespace wellvue {

class QtPrompter : public Prompter {
 public:
  explicit QtPrompter(QWidget* parent = nullptr);

  void inform(const std::string& text, const std::string& caption = {}) override;
  bool ask_yes_no(const std::string& text, const std::string& caption = {}) override;
  bool ask_yes_cancel(const std::string& text, const std::string& caption = {}) override;

  // Boxes are centred on this window when it is shown; null gives free boxes.
  void set_parent(QWidget* parent) { parent_ = parent; }

  // French texts of the boxes' buttons.
  static constexpr const char* kYes = "Oui";
  static constexpr const char* kNo = "Non";
  static constexpr const char* kCancel = "Annuler";
  static constexpr const char* kOk = "OK";

 private:
  enum class Kind { Inform, YesNo, YesCancel };
  bool show(Kind kind, const std::string& text, const std::string& caption);

  QPointer<QWidget> parent_;
};

}  // namespace wellvue
