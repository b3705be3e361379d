#include "capture/abort_reason.h"

namespace wellvue {

std::string AbortReasonText(HResult code, const std::string& platform_text, const std::string& folder) {
  const std::string where = folder.empty() ? std::string("le dossier courant") : folder;
  const std::string words = platform_text.empty() ? std::string() : " : " + platform_text;
  switch (code) {
    case E_DISK_FULL:
      return "disque plein dans " + where + " (plus de place pour la vid\xE9o)";
    case E_WRITE_FAULT:
      return "erreur d'\xE9"
             "criture de la vid\xE9o dans " +
             where + words;
    case E_ACCESSDENIED:
    case E_FILE_EXISTS:
      return "impossible de cr\xE9"
             "er le fichier vid\xE9o dans " +
             where + words;
    default:
      return "enregistrement interrompu (code " + hresult_hex(code) + ")" + words;
  }
}

}  // namespace wellvue
