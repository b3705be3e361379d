// The camera, audio source and compressor choice: shows the capture configuration dialog on a
// record and writes the record back when the operator confirms.
#pragma once
#include <string>

#include "app/graph_config/capture_device_names.h"
#include "app/graph_config/graph_config_memory.h"
#include "capture/graph_backend.h"
#include "capture/graph_config.h"

class QWidget;

namespace wellvue {

// The dialog's four lists from the engine's cached device lists, each enumerated only when empty.
CaptureDeviceNames dialog_device_names(GraphBackend& backend);

// Shows the dialog modally. True when closed with OK: `config` is then rewritten and
// memory.video_compressor_name holds the chosen compressor. False otherwise, `config` untouched.
// The source selections are remembered in `memory` on every close. `prefix` is the text of the
// main window's recording-name prefix field (CP1252). If the hidden size field no longer holds a
// number, ConversionError is thrown with `config` and the remembered name untouched.
bool edit_graph_config(TGraphConfig& config, GraphBackend& backend, GraphConfigMemory& memory,
                       const std::string& prefix, QWidget* parent = nullptr);

}  // namespace wellvue
