// wellvue-report: the inspection report of a recording as a PDF.
//   wellvue-report REC --output FILE [--site TEXT] [--operator TEXT]
// Exit 0 written, 1 failure (no PDF left half-written), 2 bad command line.
#include <QGuiApplication>
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/report/report_pdf.h"
#include "util/version.h"

namespace {

constexpr const char* kUsage =
    "usage : wellvue-report REC --output FICHIER.pdf [--site TEXTE] [--operator TEXTE]\n"
    "REC : l'AVI, le SRT, l'enregistrement des profondeurs ou le nom de base de l'enregistrement.\n";

int usage_error(const std::string& why) {
  std::cerr << "wellvue-report : " << why << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (wellvue::answer_version(argc, argv, "wellvue-report")) return 0;
  std::string rec, output;
  wellvue::ReportOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--output" || arg == "-o") {
      if (!value(output)) return usage_error("--output demande un nom de fichier");
    } else if (arg == "--site") {
      if (!value(options.site)) return usage_error("--site demande un texte");
    } else if (arg == "--operator") {
      if (!value(options.operator_name)) return usage_error("--operator demande un texte");
    } else if (arg.starts_with("--")) {
      return usage_error("option inconnue " + arg);
    } else if (rec.empty()) {
      rec = arg;
    } else {
      return usage_error("un seul enregistrement ('" + arg + "')");
    }
  }
  if (rec.empty()) return usage_error("enregistrement manquant");
  if (output.empty()) return usage_error("--output manquant");

  // Fonts need a platform plugin, not a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  std::string error;
  if (!wellvue::write_recording_report(rec, output, options, error)) {
    std::cerr << "wellvue-report : " << error << "\n";
    return 1;
  }
  std::cout << output << "\n";
  return 0;
}
