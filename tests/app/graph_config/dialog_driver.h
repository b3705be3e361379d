// Drives the modal capture configuration dialog from a test: once it is open, the operator's
// actions run on it and it is closed the chosen way, without blocking the test.
#pragma once
#include <functional>
#include <string>

#include "app/graph_config/edit_graph_config.h"
#include "app/graph_config/graph_config_form.h"

namespace wellvue::testing {

enum class CloseBy { Ok, Cancel, Escape, CloseBox };

struct DialogRun {
  bool result = false;  // what edit_graph_config returned
  bool opened = false;  // the dialog was seen open (and acted on)
};

using OperatorActions = std::function<void(TFGraphConfig&)>;

DialogRun run_dialog(TGraphConfig& config, GraphBackend& backend, GraphConfigMemory& memory, const std::string& prefix,
                     const OperatorActions& act, CloseBy close);

// The operator picks the item with that text in a drop-down list (as a mouse choice would).
void pick(QComboBox* combo, const QString& text);

// True while some capture configuration dialog still exists.
bool any_dialog_alive();

}  // namespace wellvue::testing
