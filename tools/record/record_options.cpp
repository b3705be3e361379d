#include "record_options.h"

#include <algorithm>

#include "option_values.h"

namespace wellvue::record_tool {

const char* const kUsage =
    "usage: wellvue-record [--test-source | --camera NOM] [--port PORT] [--simulate-board]\n"
    "                      [--seconds N] [--bore NOM] [--prefix NOM] [--with-date | --no-date]\n"
    "                      [--folder DOSSIER] [--zero-counters yes|no] [--replace yes|no]\n"
    "                      [--snapshot-at SECONDES]... [--observe-at SECONDES=CODE]...\n"
    "Enregistre une vidéo AVI et ses sous-titres SRT comme la station, sans fenêtre.\n"
    "Sans --seconds, l'enregistrement dure jusqu'à Ctrl-C. Réponses par défaut : remise à zéro\n"
    "des compteurs oui (sonde à la margelle), remplacement d'un fichier existant non.\n"
    "--snapshot-at prend une photo, --observe-at note une observation (avec sa photo) à ce moment\n"
    "de l'enregistrement.\n"
    "Codes de sortie : 0 enregistré, 1 enregistrement non démarré ou incomplet, 2 ligne de commande.\n";

std::optional<Options> parse_options(const std::vector<std::string>& args, std::string& error) {
  Options o;
  bool camera_given = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) { return tool_options::take_value(args, i, out, error); };
    auto answer = [&](Answer& out) {
      bool yes = false;
      if (!tool_options::take_answer(args, i, yes, error)) return false;
      out = yes ? Answer::Yes : Answer::No;
      return true;
    };
    bool ok = true;
    if (a == "--help" || a == "-h") {
      o.help = true;
      return o;
    } else if (a == "--test-source") {
      o.test_source = true;
    } else if (a == "--camera") {
      ok = value(o.camera);
      camera_given = true;
    } else if (a == "--port") {
      ok = value(o.port);
    } else if (a == "--simulate-board") {
      o.simulate_board = true;
    } else if (a == "--seconds") {
      std::string s;
      ok = value(s);
      if (ok) {
        if (!tool_options::parse_number(s, o.seconds) || o.seconds <= 0) {
          error = "--seconds attend un nombre entier de secondes au-dessus de zéro, pas '" + s + "'";
          return std::nullopt;
        }
      }
    } else if (a == "--bore") {
      ok = value(o.bore);
    } else if (a == "--prefix") {
      ok = value(o.prefix);
    } else if (a == "--with-date") {
      o.with_date = true;
    } else if (a == "--no-date") {
      o.with_date = false;
    } else if (a == "--folder") {
      ok = value(o.folder);
    } else if (a == "--snapshot-at" || a == "--observe-at") {
      std::string v;
      ok = value(v);
      if (ok) {
        TimedNote note;
        std::string time = v;
        if (a == "--observe-at") {
          const auto eq = v.find('=');
          if (eq == std::string::npos || eq + 1 == v.size()) {
            error = "--observe-at attend SECONDES=CODE, pas '" + v + "'";
            return std::nullopt;
          }
          time = v.substr(0, eq);
          note.code = v.substr(eq + 1);
        }
        if (!tool_options::parse_number(time, note.at_s) || note.at_s < 0) {
          error = a + " attend un nombre de secondes positif, pas '" + time + "'";
          return std::nullopt;
        }
        o.notes.push_back(note);
      }
    } else if (a == "--zero-counters") {
      ok = answer(o.zero_counters);
    } else if (a == "--replace") {
      ok = answer(o.replace);
    } else {
      error = "option inconnue '" + a + "'";
      return std::nullopt;
    }
    if (!ok) return std::nullopt;
  }
  if (camera_given && o.test_source) {
    error = "--camera et --test-source s'excluent";
    return std::nullopt;
  }
  if (o.simulate_board && !o.port.empty()) {
    error = "--port et --simulate-board s'excluent : la carte simulée a son propre port";
    return std::nullopt;
  }
  std::stable_sort(o.notes.begin(), o.notes.end(),
                   [](const TimedNote& x, const TimedNote& y) { return x.at_s < y.at_s; });
  return o;
}

}  // namespace wellvue::record_tool
