#include "capture/errno_text.h"

#include <cerrno>
#include <cstring>

namespace wellvue {

std::string errno_text_fr(int error) {
  switch (error) {
    case ENOSPC:
      return "plus de place sur le disque";
    case EDQUOT:
      return "quota du disque d\xE9pass\xE9";
    case EACCES:
    case EPERM:
      return "acc\xE8s refus\xE9";
    case EROFS:
      return "support en lecture seule";
    case ENOENT:
      return "dossier introuvable";
    case ENOTDIR:
      return "un \xE9l\xE9ment du chemin n'est pas un dossier";
    case ENAMETOOLONG:
      return "nom trop long";
    case EEXIST:
      return "ce nom est d\xE9j\xE0 pris";
    case EISDIR:
      return "c'est un dossier";
    case ELOOP:
      return "lien symbolique refus\xE9";
    case EIO:
      return "erreur d'entr\xE9"
             "e-sortie du disque";
    case EFBIG:
      return "fichier trop grand pour ce disque";
    case EMFILE:
    case ENFILE:
      return "trop de fichiers ouverts";
    case ENODEV:
    case ENXIO:
      return "p\xE9riph\xE9rique absent";
    default:
      return "erreur syst\xE8me " + std::to_string(error) + " (" + std::strerror(error) + ")";
  }
}

}  // namespace wellvue
