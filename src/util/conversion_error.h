// The exception type of failed conversions, and the base of file errors (util/file_error.h); what()
// is the French text the operator sees ("'12a' n'est pas une valeur entière correcte"), in CP1252
// like every core text.
#pragma once
#include <stdexcept>
#include <string>

namespace wellvue {

class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Texts of the runtime's errors, %s filled with the offending text (given in CP1252).
std::string not_an_integer_text(const std::string& text);  // "'%s' n'est pas une valeur entière correcte"
std::string not_a_float_text(const std::string& text);     // "'%s' n'est pas une valeur en virgule flottante correcte"
std::string cannot_open_file_text(const std::string& name);    // "Impossible d'ouvrir le fichier %s"
std::string cannot_create_file_text(const std::string& name);  // "Impossible de créer le fichier %s"
// CP1252 bytes, like every core text.
inline constexpr const char* kDivisionByZeroText = "Division par z\xe9ro en virgule flottante";
// Zero divided by zero.
inline constexpr const char* kInvalidFloatOperationText = "Op\xe9ration en virgule flottante incorrecte";

}  // namespace wellvue
