#include "export_tool_options.h"

#include "option_values.h"

namespace wellvue::export_tool {

const char* const kUsage =
    "usage: wellvue-export ENREGISTREMENT [--format mkv|mp4] [--burn] [--output FICHIER] [--replace]\n"
    "Exporte un enregistrement (sa vidéo AVI, son fichier SRT ou son nom sans extension) en H.264,\n"
    "la profondeur en piste de sous-titres \"Profondeur\" dans le fichier (et les observations en\n"
    "piste \"Observations\" quand il y en a). Par défaut : <nom>.mkv à côté de la vidéo.\n"
    "  --burn     incruste aussi dans l'image la profondeur, le niveau d'eau, le forage et l'heure\n"
    "  --replace  remplace un fichier exporté existant\n"
    "Ctrl-C annule l'export sans laisser de fichier.\n"
    "Codes de sortie : 0 exporté, 1 export impossible ou annulé, 2 ligne de commande.\n";

std::optional<ToolOptions> parse_options(const std::vector<std::string>& args, std::string& error) {
  ToolOptions o;
  bool have_recording = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) { return tool_options::take_value(args, i, out, error); };
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--format") {
      std::string v;
      if (!value(v)) return std::nullopt;
      if (v == "mkv") {
        o.exp.format = exporting::ExportFormat::Matroska;
      } else if (v == "mp4") {
        o.exp.format = exporting::ExportFormat::Mp4;
      } else {
        error = "--format attend mkv ou mp4, pas '" + v + "'";
        return std::nullopt;
      }
    } else if (a == "--burn") {
      o.exp.burn = true;
    } else if (a == "--replace") {
      o.exp.replace = true;
    } else if (a == "--output") {
      if (!value(o.exp.output)) return std::nullopt;
      if (o.exp.output.empty()) {
        error = "--output attend un nom de fichier";
        return std::nullopt;
      }
    } else if (a.starts_with("-") && a.size() > 1) {
      error = "option inconnue : " + a;
      return std::nullopt;
    } else if (have_recording) {
      error = "un seul enregistrement à la fois";
      return std::nullopt;
    } else {
      o.exp.recording = a;
      have_recording = true;
    }
  }
  if (!have_recording && !o.help) {
    error = "quel enregistrement exporter ?";
    return std::nullopt;
  }
  return o;
}

}  // namespace wellvue::export_tool
