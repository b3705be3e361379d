#include "util/conversion_error.h"

namespace wellvue {

// The texts are CP1252: \xe8 is e grave, \xe9 is e acute.
std::string not_an_integer_text(const std::string& text) {
  return "'" + text + "' n'est pas une valeur enti\xe8re correcte";
}

std::string not_a_float_text(const std::string& text) {
  return "'" + text + "' n'est pas une valeur en virgule flottante correcte";
}

std::string cannot_open_file_text(const std::string& name) { return "Impossible d'ouvrir le fichier " + name; }

std::string cannot_create_file_text(const std::string& name) {
  return "Impossible de cr\xe9"
         "er le fichier " +
         name;
}

}  // namespace wellvue
