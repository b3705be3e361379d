#include "recording/recording_texts.h"

#include "capture/recording_format.h"
#include "util/numbers.h"
#include "util/text.h"
#include "util/time_code.h"

namespace wellvue {

const char* const kZeroQuestion =
    "---  La cam\xE9ra devrait \xEAtre en position z\xE9ro vis \xE0 vis de la margelle ---\n\n"
    " Mettre \xE0 z\xE9ro les compteurs de la margelle, du niveau d'eau et du temps d\xE9"
    "compt\xE9 ?   ";
const char* const kStoppedText = "stopp\xE9";
const char* const kZeroDepthText = " 0.00 m ";

std::string recording_name(const std::string& folder, const std::string& prefix, bool with_date,
                           const LocalDateTime& now) {
  std::string name = folder + "/" + trim_right_blanks(prefix);
  if (with_date) name += " " + file_date_stamp(now);
  return name + std::string(default_recording_format().extension);
}

std::string name_without_extension(const std::string& name) {
  const auto slash = name.find_last_of('/');
  const auto dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name;
  return name.substr(0, dot);
}

std::string subtitle_name(const std::string& avi_name) { return name_without_extension(avi_name) + ".srt"; }

std::string stop_time_code(std::uint64_t ms) { return time_code_of_ms(ms); }

std::int64_t time_code_ms(const std::string& code) { return time_code_to_ms(code).value_or(-1); }

std::string elapsed_text(std::uint32_t ms) {
  return format_pattern(ms / 60000, " 0 mn ") + format_pattern((ms % 60000) / 1000.0, " 0.0 s");
}

std::string overwrite_question(const std::string& avi_name) {
  const std::string extension(default_recording_format().extension);
  return "      Les fichiers    : " + name_without_extension(avi_name) + extension + "              " + "\n\n" +
         "      existent d\xE9j\xE0 , les remplacer ?          ";
}

std::string file_name_message(const std::string& avi_name) {
  return "\n   nom de fichier : " + avi_name + "    " + "\n\n";
}

std::string file_name_message(const std::string& avi_name, std::uint64_t free_minutes) {
  return file_name_message(avi_name) + "   place libre : environ " + std::to_string(free_minutes) + " min\n";
}

std::string no_room_message(const std::string& folder, std::uint64_t seconds) {
  return " Place libre insuffisante dans " + folder + " :\n\n   environ " + std::to_string(seconds) +
         " s d'enregistrement possibles, il faut au moins 1 min.\n\n Lib\xE9rer de la place ou choisir un autre "
         "r\xE9pertoire vid\xE9o.\n";
}

std::string other_folder_question(const std::string& problem) {
  return problem + "\n\n L'enregistrement n'est pas lanc\xE9. Choisir un autre r\xE9pertoire vid\xE9o ?";
}

std::string refused_name_message(const std::string& problem) {
  return problem + "\n\n L'enregistrement n'est pas lanc\xE9 : changer le nom du fichier vid\xE9o.";
}

std::string journal_open_message(const std::string& srt_name) {
  return " Impossible de cr\xE9"
         "er le fichier de sous-titres\n\n  " +
         srt_name + "\n\n L'enregistrement n'est pas lanc\xE9.";
}

const char* const kJournalWriteWarning =
    "\xE9"
    "criture des sous-titres impossible en cours d'enregistrement : ils seront \xE9"
    "crits \xE0 l'arr\xEAt";

const char* const kDepthJournalWarning =
    "\xE9"
    "criture du relev\xE9 de profondeur impossible en cours d'enregistrement : il sera \xE9"
    "crit \xE0 l'arr\xEAt";

std::string low_space_warning(std::uint64_t minutes) {
  return "place libre : moins de 5 min d'enregistrement (environ " + std::to_string(minutes) + " min)";
}

std::string aborted_message(const std::string& reason, const std::string& video, double video_seconds,
                            const std::string& srt_name, bool srt_saved) {
  std::string text = " enregistrement arr\xEAt\xE9 : " + reason + "\n\n";
  if (video.empty()) {
    text +=
        "  aucune image n'a \xE9t\xE9 enregistr\xE9"
        "e\n\n";
  } else {
    text += "  vid\xE9o : " + video + "   (" + format_pattern(video_seconds, "0.0") + " s)\n\n";
  }
  text += srt_saved ? "  sous-titres : " + srt_name + "\n"
                    : "  sous-titres : " + srt_name +
                          "   (incomplet : impossible de l'\xE9"
                          "crire en entier)\n";
  return text;
}

std::string recorded_message(const std::string& avi_name, const std::string& elapsed) {
  return " enregistrement effectu\xE9 ... \n\n  " + avi_name + "\n\n" + "  " + elapsed + "\n";
}

std::string kept_message(const std::string& kept, const std::string& avi_name, const std::string& elapsed) {
  return " enregistrement effectu\xE9 ... \n\n  " + kept + "\n\n  (impossible de le nommer " + avi_name + ")\n\n" +
         "  " + elapsed + "\n";
}

std::string no_video_message(const std::string& avi_name, const std::string& srt_name) {
  return " enregistrement sans vid\xE9o : aucune image n'est arriv\xE9"
         "e de la cam\xE9ra.\n\n  " +
         avi_name + " n'a pas \xE9t\xE9 cr\xE9\xE9.\n\n  Les profondeurs sont dans " + srt_name + "\n";
}

}  // namespace wellvue
